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

source "$(dirname "$0")/lib/common.sh"
require_tools Xvfb xdotool xwd convert
require_bundled_data

make_work_dir
start_xvfb 1024x768x24 || skip "Xvfb did not start"
export NIMBREL_NO_MESSAGE_BOX=1
export SDL_AUDIODRIVER=dummy

# The pointer starts in the middle, where the saver keeps it.
xdotool mousemove 512 384

# 1. MouseExit 0: steps, sweeps and a slow drift leave the saver running.
write_settings "$build/data" ShowClock=0 EnableMusic=0 MouseExit=0
start_scene_saver
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
write_settings "$build/data" ShowClock=0 EnableMusic=0 MouseExit=1
xdotool mousemove 512 384
start_scene_saver
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

report
