#!/usr/bin/env bash
# An installed nimbrel finds its bundled data.sdd without any setting, under
# whatever prefix it was installed to.
set -euo pipefail
build=$1
source "$(dirname "$0")/lib/common.sh"
require_bundled_data
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -f "$prefix/share/nimbrel/data.sdd"
cd "$prefix"
ASAN_OPTIONS=detect_leaks=0 "$prefix/bin/nimbrel-render" --size 64x48 --frames 2 --out "$prefix/shot.png" >/dev/null
test -s "$prefix/shot.png"
echo "installed nimbrel-render found its data"
