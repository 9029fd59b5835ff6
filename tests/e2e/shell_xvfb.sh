#!/usr/bin/env bash
# The saver on a real X server (Xvfb) as a user starts it: `nimbrel /s` opens
# a full-screen window showing black frames on an empty data folder; a key
# press, a left or a right click ends it with exit code 0, a middle click and
# Alt do not.
# Usage: shell_xvfb.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
nimbrel=$build/nimbrel

for tool in Xvfb xdotool xwininfo convert import; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 0
  fi
done

tmp=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
if [ ! -s "$tmp/display" ]; then
  echo "SKIP: Xvfb did not start"
  exit 0
fi
export DISPLAY=:$(cat "$tmp/display")
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
export SDL_AUDIODRIVER=dummy NIMBREL_NO_MESSAGE_BOX=1 ASAN_OPTIONS=detect_leaks=0
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$tmp/data" "$tmp/config/Corvane"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n"Path"="%s"\n' "$tmp/data" \
  >"$tmp/config/Corvane/Nimbrel.reg"

passed=0
failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }

# Starts the saver and waits until it draws frames in its window.
start_saver() {
  : >"$tmp/err"
  "$nimbrel" /s 2>"$tmp/err" &
  app_pid=$!
  local i
  for ((i = 0; i < 600; i++)); do
    grep -q 'no world named' "$tmp/err" && break
    sleep 0.1
  done
  window=$(xdotool search --name '^Nimbrel$' 2>/dev/null | head -1)
  sleep 0.5
}

# Waits up to $1 seconds for the saver to end; sets rc (or "running").
wait_end() {
  local i
  rc=running
  for ((i = 0; i < $1 * 10; i++)); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
      wait "$app_pid"
      rc=$?
      app_pid=""
      return
    fi
    sleep 0.1
  done
}

stop_saver() {
  if [ -n "$app_pid" ]; then
    kill -TERM "$app_pid" 2>/dev/null
    wait "$app_pid"
    app_pid=""
  fi
}

# 1. The window covers the screen and shows black.
start_saver
if [ -n "$window" ]; then
  geometry=$(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
  [ "$geometry" = "1024x768" ] && ok "full-screen window $geometry" || bad "window is $geometry"
else
  bad "no window titled Nimbrel"
fi
import -window root "$tmp/screen.png" 2>/dev/null
mean=$(convert "$tmp/screen.png" -format '%[fx:mean]' info: 2>/dev/null)
[ "$mean" = "0" ] && ok "the screen is black" || bad "screen mean $mean, not black"

# 2. A middle click and Alt do not end it; a key does, within a second.
xdotool mousemove 512 384 click 2
xdotool key alt
wait_end 1
[ "$rc" = running ] && ok "middle click and Alt do not end the saver" || bad "ended ($rc) on middle click or Alt"
xdotool key space
wait_end 5
[ "$rc" = 0 ] && ok "a key press ends it with exit code 0" || bad "key press: $rc"
stop_saver

# 3. Left click, then right click.
for button in 1 3; do
  start_saver
  xdotool mousemove 512 384 click "$button"
  wait_end 5
  [ "$rc" = 0 ] && ok "button $button ends it with exit code 0" || bad "button $button: $rc"
  stop_saver
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
