# Pieces shared by the end-to-end scripts in tests/e2e, which source this file
# (it is not a test of its own): skipping when a tool is missing, a private
# work folder and settings home, our own X server, the settings file, the pass
# and fail count, starting and ending the saver, and judging screenshots.
# The sourcing script sets `build` (the build folder, absolute) and `nimbrel`.
# shellcheck shell=bash disable=SC2034,SC2154 # variables shared with the sourcing script

# ---- Skips -------------------------------------------------------------------

# Ends the script, as passed, with a note why it did not run.
skip() {
  echo "skipped: $*"
  exit 0
}

# Skips unless every named program is installed.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
}

# Skips unless the build generated the bundled scene.
require_bundled_data() {
  [ -f "$build/data/data.sdd" ] || skip "no bundled data.sdd in $build/data"
}

# ---- Work folder and clean-up ------------------------------------------------

# Processes ended when the script exits: the program under test (app_pid,
# killed outright), the X server (xvfb_pid) and any helper windows the script
# adds to helper_pids.
app_pid=""
xvfb_pid=""
helper_pids=()
cleanup() {
  local pid
  [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null || true
  for pid in "${helper_pids[@]}"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$tmp"
}

# Makes the work folder tmp (removed at exit, with the processes above) and
# points the saver's settings there: reg is the settings file. The sanitizer
# build's leak report is off (the GL drivers leave allocations behind).
make_work_dir() {
  tmp=$(mktemp -d)
  trap cleanup EXIT
  export XDG_CONFIG_HOME=$tmp/config
  export ASAN_OPTIONS=detect_leaks=0
  reg=$XDG_CONFIG_HOME/Corvane/Nimbrel.reg
}

# ---- X server ------------------------------------------------------------------

# Starts our own X server on a free display number (Xvfb picks it and tells
# us) with one screen of the given size, e.g. 1024x768x24, and exports DISPLAY;
# SDL is told to use it. Fails, with Xvfb's messages in $tmp/xvfb.log, when no
# display number comes within 10 s.
start_xvfb() {
  local i
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for ((i = 0; i < 100; i++)); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
  done
  [ -s "$tmp/display" ] || return 1
  DISPLAY=:$(head -n1 "$tmp/display")
  export DISPLAY
  unset SDL_VIDEODRIVER WAYLAND_DISPLAY
}

# ---- Settings file -------------------------------------------------------------

# Writes a fresh settings file: "Path" (left out when DATA_DIR is empty), then
# the given "Name"=dword:N lines, N in decimal.
write_settings() { # DATA_DIR [Name=N]...
  mkdir -p "$(dirname "$reg")"
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n'
    [ -n "$1" ] && printf '"Path"="%s"\n' "$1"
    shift
    local pair
    for pair in "$@"; do
      printf '"%s"=dword:%08x\n' "${pair%=*}" "${pair#*=}"
    done
  } >"$reg"
}

# ---- Checks that count -----------------------------------------------------------

passed=0
failed=0
ok() {
  echo "ok: $*"
  passed=$((passed + 1))
}
bad() {
  echo "FAILED: $*"
  failed=$((failed + 1))
}
# The last line of a counting script: the totals, and its exit code.
report() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# For the scripts that stop at the first failure: the program's stderr (if it
# was saved in $tmp/stderr) shows why.
fail() {
  echo "FAIL: $*"
  [ -f "$tmp/stderr" ] && cat "$tmp/stderr"
  exit 1
}

# ---- The saver's run -------------------------------------------------------------

# (wait_end and stop_saver are for scripts without `set -e`: the exit code
# they wait for may be any.)

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

# Ends a saver still running (after a failed check) with the given signal,
# KILL unless told.
stop_saver() { # [SIGNAL]
  if [ -n "$app_pid" ]; then
    kill "-${1:-KILL}" "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
  fi
}

# The loudest sample of raw signed 16-bit audio (0 for a missing file).
loudest() {
  od -An -v -td2 "$1" 2>/dev/null |
    awk '{for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v }} END {print m + 0}'
}

# ---- Screenshots ---------------------------------------------------------------

# The whole X screen, as an xwd file.
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

# Starts the saver (/s) with the settings written before, its audio going to
# AUDIO_FILE when the disk audio driver is in use, and watches the screen
# until the scene shows (at most 120 s: the sanitizer build loads slowly).
# Sets saw_loading and scene_shot (empty if no scene); stderr goes to $tmp/err.
start_scene_saver() { # [AUDIO_FILE]
  local audio=${1:-$tmp/audio.raw}
  rm -f "$audio"
  : >"$tmp/err"
  SDL_DISKAUDIOFILE=$audio "$nimbrel" /s 2>"$tmp/err" &
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
