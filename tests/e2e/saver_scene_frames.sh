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

for tool in Xvfb xdotool xwd convert od; do
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
export SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=20
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
# Mean brightness (0 to 1) of a screenshot.
mean_of() { convert "$1" -format '%[fx:mean]' info: 2>/dev/null; }
# Number of distinct colours.
colours_of() { convert "$1" -format '%k' info: 2>/dev/null; }
# Brightest value (0 to 1) in region WxH+X+Y.
max_in() { convert "$1" -crop "$2" +repage -format '%[fx:maxima]' info: 2>/dev/null; }
# Number of bright pixels (grey above 75%) in region WxH+X+Y.
bright_in() {
  convert "$1" -crop "$2" +repage -colorspace gray -threshold 75% -format '%[fx:round(mean*w*h)]' \
    info: 2>/dev/null
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Regions of the 1024 x 768 screen. The loading pictures are drawn centred at
# the middle of the width; the strips beside them stay black while loading.
left_strip=340x768+0+0
right_strip=340x768+684+0
# The clock: eight glyphs from x = 525 of 800 along the bottom edge.
clock_box=310x54+670+714
# A loading screen: something in the middle, nothing in the side strips.
is_loading() {
  above "$(mean_of "$1")" 0.005 && [ "$(max_in "$1" "$left_strip")" = 0 ] &&
    [ "$(max_in "$1" "$right_strip")" = 0 ]
}
# A scene frame: many colours, and content in both side strips.
is_scene() {
  [ "$(colours_of "$1")" -gt 5000 ] && above "$(max_in "$1" "$left_strip")" 0.5 &&
    above "$(max_in "$1" "$right_strip")" 0.5
}

# Starts the saver with the settings written before and its audio going to
# $1; watches the screen until the scene shows (at most 120 s: the sanitizer
# build loads slowly). Sets saw_loading and scene_shot (empty if no scene).
start_saver() {
  rm -f "$1"
  : >"$tmp/err"
  SDL_DISKAUDIOFILE=$1 "$nimbrel" /s 2>"$tmp/err" &
  app_pid=$!
  saw_loading=0
  scene_shot=""
  local i=0 deadline=$((SECONDS + 120))
  while [ "$SECONDS" -lt "$deadline" ]; do
    kill -0 "$app_pid" 2>/dev/null || return
    i=$((i + 1))
    shot "$tmp/shot.xwd"
    if is_loading "$tmp/shot.xwd"; then
      saw_loading=1
    elif is_scene "$tmp/shot.xwd"; then
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

# The loudest sample of raw signed 16-bit audio (0 for a missing file).
loudest() {
  od -An -v -td2 "$1" 2>/dev/null |
    awk '{for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v }} END {print m + 0}'
}

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
write_settings ShowClock=1 TimeFormat=0 EnableMusic=1 MouseExit=0
start_saver "$tmp/audio-on.raw"
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
write_settings ShowClock=0 EnableMusic=0 MouseExit=0
start_saver "$tmp/audio-off.raw"
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

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
