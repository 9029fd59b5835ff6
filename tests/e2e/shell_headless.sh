#!/usr/bin/env bash
# The saver headless (SDL's offscreen video driver, dummy audio) on an empty
# data folder: it starts, shows black frames ("no world" on stderr) and shuts
# down with exit code 0 on SIGTERM, SIGINT and SIGHUP; the settings file is
# created on the first run and not otherwise written. With the bundled scene
# the looping music is heard; without "music.ogg" the saver is silent.
# Usage: shell_headless.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1
nimbrel=$build/nimbrel

source "$(dirname "$0")/lib/common.sh"
make_work_dir
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy NIMBREL_NO_MESSAGE_BOX=1
mkdir -p "$tmp/data"

# Waits up to $2 seconds for file $1 to contain text $3.
wait_for_text() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    grep -q "$3" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# First run without a settings file: the key is created, Path is missing.
"$nimbrel" /s >"$tmp/out0" 2>"$tmp/err0" &
pid=$!
sleep 2
kill -TERM "$pid"
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] && ok "first run exits 0 on SIGTERM" || bad "first run exit code $rc"
if [ -f "$reg" ] && head -1 "$reg" | grep -qx REGEDIT4; then
  ok "settings file created on first run"
else
  bad "no settings file after the first run"
fi

write_settings "$tmp/data" ShowFPS=1
cp "$reg" "$tmp/reg.before"

for sig in TERM INT HUP; do
  "$nimbrel" /s >"$tmp/out" 2>"$tmp/err" &
  pid=$!
  if wait_for_text "$tmp/err" 60 'no world named'; then
    ok "SIG$sig run reached the frame loop with black frames"
  else
    bad "SIG$sig run: no 'no world' line on stderr"
    cat "$tmp/err"
  fi
  sleep 0.5
  if kill -0 "$pid" 2>/dev/null; then
    ok "still running before SIG$sig"
  else
    bad "ended before SIG$sig"
  fi
  kill -"$sig" "$pid"
  wait "$pid"
  rc=$?
  [ "$rc" -eq 0 ] && ok "exit code 0 on SIG$sig" || bad "exit code $rc on SIG$sig"
done

cmp -s "$reg" "$tmp/reg.before" && ok "settings file untouched by the saver" ||
  bad "the saver changed the settings file"

# Music: the bundled scene's "music.ogg" plays (SDL's disk audio driver
# writes what would be heard); an empty data folder leaves the saver silent.
music_run() {  # data folder, most seconds to wait for sound
  write_settings "$1" EnableMusic=1
  rm -f "$tmp/audio.raw"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$tmp/audio.raw SDL_DISKAUDIODELAY=20 "$nimbrel" /s 2>/dev/null &
  pid=$!
  local i
  for ((i = 0; i < $2; i++)); do
    sleep 1
    [ "$(loudest "$tmp/audio.raw")" -gt 1000 ] && break
  done
  kill -TERM "$pid"
  wait "$pid"
  rc=$?
}
music_run "$tmp/data" 3
[ "$rc" -eq 0 ] && ok "music run without music exits 0" || bad "music run exit code $rc"
level=$(loudest "$tmp/audio.raw")
[ "$level" -eq 0 ] && ok "silent without music.ogg" || bad "sound ($level) without music.ogg"
if [ -f "$build/data/data.sdd" ]; then
  mkdir -p "$tmp/bundled"
  cp "$build/data/data.sdd" "$tmp/bundled/"
  music_run "$tmp/bundled" 120
  [ "$rc" -eq 0 ] && ok "bundled scene run exits 0" || bad "bundled scene exit code $rc"
  level=$(loudest "$tmp/audio.raw")
  [ "$level" -gt 1000 ] && ok "the bundled music plays (peak $level)" || bad "no music from the bundled scene (peak $level)"
else
  echo "skip: no bundled data.sdd in $build/data"
fi

report
