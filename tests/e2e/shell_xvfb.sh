#!/usr/bin/env bash
# The saver on a real X server (Xvfb) as a user starts it: `nimbrel /s` opens
# a full-screen window showing black frames on an empty data folder; a key
# press, a left or a right click ends it with exit code 0, a middle click and
# Alt do not; a window destroyed from outside ends it with exit code 0 too.
# Usage: shell_xvfb.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
nimbrel=$build/nimbrel

source "$(dirname "$0")/lib/common.sh"
require_tools Xvfb xdotool xwininfo convert import

make_work_dir
start_xvfb 1024x768x24 || skip "Xvfb did not start"
export SDL_AUDIODRIVER=dummy NIMBREL_NO_MESSAGE_BOX=1
mkdir -p "$tmp/data"
write_settings "$tmp/data"

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

# 1. The window covers the screen and shows black.
start_saver
if [ -n "$window" ]; then
  geometry=$(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
  [ "$geometry" = "1024x768" ] && ok "full-screen window $geometry" || bad "window is $geometry"
else
  bad "no window titled Nimbrel"
fi
import -window root "$tmp/screen.png" 2>/dev/null
mean=$(mean_of "$tmp/screen.png")
[ "$mean" = "0" ] && ok "the screen is black" || bad "screen mean $mean, not black"

# 2. A middle click and Alt do not end it; a key does, within a second.
xdotool mousemove 512 384 click 2
xdotool key alt
wait_end 1
[ "$rc" = running ] && ok "middle click and Alt do not end the saver" || bad "ended ($rc) on middle click or Alt"
xdotool key space
wait_end 5
[ "$rc" = 0 ] && ok "a key press ends it with exit code 0" || bad "key press: $rc"
stop_saver TERM

# 3. Left click, then right click.
for button in 1 3; do
  start_saver
  xdotool mousemove 512 384 click "$button"
  wait_end 5
  [ "$rc" = 0 ] && ok "button $button ends it with exit code 0" || bad "button $button: $rc"
  stop_saver TERM
done

# 4. The window destroyed from outside: the normal shutdown runs, exit code 0.
start_saver
if [ -n "$window" ]; then
  xdotool windowclose "$window"
  wait_end 20
  [ "$rc" = 0 ] && ok "a window destroyed from outside ends it with exit code 0" ||
    bad "window destroyed from outside: $rc"
else
  bad "no window titled Nimbrel"
fi
stop_saver KILL

report
