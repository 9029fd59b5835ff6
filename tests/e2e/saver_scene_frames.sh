#!/usr/bin/env bash
# The saver with the bundled scene on a real X server (Xvfb), as a user sees
# it: `nimbrel /s` first shows the loading screen (the two pictures in the
# middle, black elsewhere), then frames that fill the screen with many colours
# and change over time. With ShowClock the clock's glyphs appear at the bottom
# right, without it they do not. A key press ends the saver with exit code 0,
# and so does SIGTERM. With EnableMusic 1 the disk audio driver writes sound;
# with EnableMusic 0 it writes none. Screenshots come from the X server (xwd)
# and are judged by pixel statistics (ImageMagick's convert).
# Usage: saver_scene_frames.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
nimbrel=$build/nimbrel

source "$(dirname "$0")/lib/common.sh"
require_tools Xvfb xdotool xwd convert od
require_bundled_data

make_work_dir
start_xvfb 1024x768x24 || skip "Xvfb did not start"
export NIMBREL_NO_MESSAGE_BOX=1
export SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=20

# The clock: eight glyphs from x = 525 of 800 along the bottom edge.
clock_box=310x54+670+714

# Fewest bright pixels in the clock's box over three screenshots a second apart.
# The thinnest time, "11:11:11", lights about 850 of them; stars alone about 100.
clock_pixels() {
  local least=999999 n i
  for i in 1 2 3; do
    shot "$tmp/clock.xwd"
    n=$(bright_in "$tmp/clock.xwd" "$clock_box")
    [ "${n:-0}" -lt "$least" ] && least=${n:-0}
    sleep 1
  done
  echo "$least"
}

# 1. Clock and music on: loading screen, scene, clock, sound; a key ends it.
write_settings "$build/data" ShowClock=1 TimeFormat=0 EnableMusic=1 MouseExit=0
start_scene_saver "$tmp/audio-on.raw"
[ "$saw_loading" = 1 ] && ok "the loading screen shows first" || bad "no loading screen seen"
if [ -n "$scene_shot" ]; then
  ok "the scene shows: $(colours_of "$scene_shot") colours, mean $(mean_of "$scene_shot")"
  corners=0
  for box in 200x200+0+0 200x200+824+0 200x200+0+400 200x200+824+400; do
    above "$(max_in "$scene_shot" "$box")" 0.3 && corners=$((corners + 1))
  done
  [ "$corners" = 4 ] && ok "the scene reaches every corner of the screen" ||
    bad "only $corners of 4 corners show anything"
  sleep 1
  shot "$tmp/later.xwd"
  moved=$(convert "$scene_shot" "$tmp/later.xwd" -compose difference -composite -colorspace gray \
    -threshold 10% -format '%[fx:mean]' info: 2>/dev/null)
  above "$moved" 0.001 && ok "the frames move (${moved} of the pixels changed)" ||
    bad "the picture stands still (${moved} changed)"
  on=$(clock_pixels)
  [ "$on" -gt 500 ] && ok "the clock shows at the bottom right ($on bright pixels)" ||
    bad "no clock at the bottom right ($on bright pixels)"
  for ((i = 0; i < 30; i++)); do
    [ "$(loudest "$tmp/audio-on.raw")" -gt 1000 ] && break
    sleep 1
  done
  level=$(loudest "$tmp/audio-on.raw")
  [ "$level" -gt 1000 ] && ok "music on: the audio is not silent (peak $level)" ||
    bad "music on: silent audio (peak $level)"
  xdotool key space
  wait_end 20
  [ "$rc" = 0 ] && ok "a key press ends it with exit code 0" || bad "key press: $rc"
else
  bad "no scene within 120 s"
  tail -20 "$tmp/err"
fi
stop_saver

# 2. Clock and music off: no glyphs, no sound; SIGTERM ends it.
write_settings "$build/data" ShowClock=0 EnableMusic=0 MouseExit=0
start_scene_saver "$tmp/audio-off.raw"
if [ -n "$scene_shot" ]; then
  ok "the scene shows without clock and music"
  off=$(clock_pixels)
  [ "$off" -lt 300 ] && ok "no clock with ShowClock 0 ($off bright pixels)" ||
    bad "ShowClock 0: $off bright pixels in the clock's place"
  sleep 2
  level=$(loudest "$tmp/audio-off.raw")
  [ "$level" = 0 ] && ok "music off: nothing is played" || bad "music off: sound (peak $level)"
  kill -TERM "$app_pid"
  wait_end 20
  [ "$rc" = 0 ] && ok "SIGTERM ends it with exit code 0" || bad "SIGTERM: $rc"
  if grep -q 'ERROR: AddressSanitizer\|runtime error' "$tmp/err"; then
    bad "sanitizer report on shutdown"
    cat "$tmp/err"
  fi
else
  bad "no scene within 120 s (clock and music off)"
  tail -20 "$tmp/err"
fi
stop_saver

report
