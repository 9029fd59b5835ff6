#!/usr/bin/env bash
# "Exit on Mouse move" with the bundled scene on a real X server (Xvfb): with
# MouseExit 0, xdotool moving the pointer (small steps and long sweeps) does
# not end the saver; with MouseExit 1 a nudge of 10 pixels does not, a move of
# 30 pixels does, with exit code 0. The saver runs with the scene showing
# (judged from xwd screenshots) before the pointer moves.
# Usage: saver_scene_mouse.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
nimbrel=$build/nimbrel

for tool in Xvfb xdotool xwd convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed"
    exit 0
  fi
done
if [ ! -f "$build/data/data.sdd" ]; then
  echo "skipped: no bundled data.sdd in $build/data"
  exit 0
fi

tmp=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# Our own X server on a free display number (Xvfb picks it and tells us).
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
if [ ! -s "$tmp/display" ]; then
  echo "skipped: Xvfb did not start"
  exit 0
fi
DISPLAY=:$(head -n1 "$tmp/display")
export DISPLAY
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
export NIMBREL_NO_MESSAGE_BOX=1 ASAN_OPTIONS=detect_leaks=0
export XDG_CONFIG_HOME=$tmp/config
export SDL_AUDIODRIVER=dummy
reg=$tmp/config/Corvane/Nimbrel.reg
mkdir -p "$tmp/config/Corvane"

passed=0
failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }

# A fresh settings file: the bundled scene, plus the given "Name"=dword:N lines.
write_settings() {
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n'
    printf '"Path"="%s"\n' "$build/data"
    local pair
    for pair in "$@"; do
      printf '"%s"=dword:%08x\n' "${pair%=*}" "${pair#*=}"
    done
  } >"$reg"
}

shot() { xwd -root -silent >"$1" 2>/dev/null; }
# Number of distinct colours.
colours_of() { convert "$1" -format '%k' info: 2>/dev/null; }
# Brightest value (0 to 1) in region WxH+X+Y.
max_in() { convert "$1" -crop "$2" +repage -format '%[fx:maxima]' info: 2>/dev/null; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Regions of the 1024 x 768 screen: the strips beside the middle.
left_strip=340x768+0+0
right_strip=340x768+684+0
# A scene frame: many colours, and content in both side strips.
is_scene() {
  [ "$(colours_of "$1")" -gt 5000 ] && above "$(max_in "$1" "$left_strip")" 0.5 &&
    above "$(max_in "$1" "$right_strip")" 0.5
}

# Starts the saver with the settings written before; watches the screen until
# the scene shows (at most 120 s: the sanitizer build loads slowly). Sets
# scene_shot (empty if no scene).
start_saver() {
  : >"$tmp/err"
  "$nimbrel" /s 2>"$tmp/err" &
  app_pid=$!
  scene_shot=""
  local i=0 deadline=$((SECONDS + 120))
  while [ "$SECONDS" -lt "$deadline" ]; do
    kill -0 "$app_pid" 2>/dev/null || return
    i=$((i + 1))
    shot "$tmp/shot.xwd"
    if is_scene "$tmp/shot.xwd"; then
      scene_shot=$tmp/scene$i.xwd
      mv "$tmp/shot.xwd" "$scene_shot"
      return
    fi
    sleep 0.2
  done
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

# Ends a saver still running (after a failed check).
stop_saver() {
  if [ -n "$app_pid" ]; then
    kill -KILL "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
  fi
}

# The pointer starts in the middle, where the saver keeps it.
xdotool mousemove 512 384

# 1. MouseExit 0: steps, sweeps and a slow drift leave the saver running.
write_settings ShowClock=0 EnableMusic=0 MouseExit=0
start_saver
if [ -n "$scene_shot" ]; then
  ok "the scene shows (MouseExit 0)"
  xdotool mousemove_relative -- 30 0
  sleep 0.3
  xdotool mousemove_relative -- 0 -30
  sleep 0.3
  xdotool mousemove 900 700
  sleep 0.3
  xdotool mousemove 40 30
  for ((i = 0; i < 10; i++)); do
    xdotool mousemove_relative -- 5 5
    sleep 0.1
  done
  wait_end 3
  [ "$rc" = running ] && ok "MouseExit 0: mouse movement does not end the saver" ||
    bad "MouseExit 0: the saver ended ($rc) on mouse movement"
  kill -TERM "$app_pid" 2>/dev/null
  wait_end 20
  [ "$rc" = 0 ] || bad "SIGTERM after the mouse runs: $rc"
else
  bad "no scene within 120 s (MouseExit 0)"
  tail -20 "$tmp/err"
fi
stop_saver

# 2. MouseExit 1: 10 pixels are not enough, 30 are.
write_settings ShowClock=0 EnableMusic=0 MouseExit=1
xdotool mousemove 512 384
start_saver
if [ -n "$scene_shot" ]; then
  ok "the scene shows (MouseExit 1)"
  sleep 1.5 # the travel counted so far starts afresh every second
  xdotool mousemove_relative -- 10 0
  wait_end 2
  [ "$rc" = running ] && ok "MouseExit 1: a 10-pixel nudge does not end the saver" ||
    bad "MouseExit 1: the saver ended ($rc) on a 10-pixel nudge"
  if [ "$rc" = running ]; then
    sleep 1
    xdotool mousemove_relative -- 30 0
    wait_end 20
    [ "$rc" = 0 ] && ok "MouseExit 1: moving 30 pixels ends it with exit code 0" ||
      bad "MouseExit 1: after 30 pixels: $rc"
  fi
else
  bad "no scene within 120 s (MouseExit 1)"
  tail -20 "$tmp/err"
fi
stop_saver

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
