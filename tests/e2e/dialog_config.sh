#!/usr/bin/env bash
# The configuration dialog as a user meets it, under Xvfb with xdotool:
# the window's client area, Restore Defaults then OK at their places, the
# settings file that results; a check box, a thumb drag and Enter; the About
# box over the dialog, and Escape as Cancel.
# Usage: dialog_config.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
nimbrel="$build/nimbrel"

source "$(dirname "$0")/lib/common.sh"
require_tools Xvfb xdotool xwininfo xprop xlogo

make_work_dir
start_xvfb 1024x768x24 || {
  echo "FAIL: Xvfb did not start"
  cat "$tmp/xvfb.log"
  exit 1
}

# Settings far from the defaults.
far_settings() {
  write_settings "" ShowClock=0 TimeFormat=1 EnableMusic=0 UseDesktop=0 DefGamma=0 Width=800 \
    Height=600 Depth=32 Volume=40 Gamma=20 Speed=70 ShowFPS=1 VSync=1 MouseExit=1
}

value() { # name -> the number stored for it, in decimal
  local hex
  hex=$(sed -n "s/^\"$1\"=dword:\([0-9a-fA-F]*\).*/\1/p" "$reg")
  [ -n "$hex" ] || { echo "missing"; return; }
  echo $((16#$hex))
}

expect_value() { # name expected
  local got
  got=$(value "$1")
  [ "$got" = "$2" ] || fail "$1 is $got, expected $2"
}

start_dialog() { # [switch]
  "$nimbrel" "${1:-/c}" >"$tmp/stdout" 2>"$tmp/stderr" &
  app_pid=$!
  window=""
  for _ in $(seq 150); do
    window=$(xdotool search --name '^Nimbrel Configuration$' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || fail "nimbrel /c ended before showing the dialog"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no dialog window"
  sleep 0.5
}

finish() { # the process ends with exit code 0
  local rc=0
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "the dialog did not close"
  wait "$app_pid" || rc=$?
  app_pid=""
  [ "$rc" -eq 0 ] || fail "exit code $rc"
}

# Clicks at a control's place given in dialog units: 1.5 pixels a
# horizontal unit, 1.625 a vertical one, aimed at the control's middle.
click_dlu() { # x y cx cy
  local px py
  px=$(( ($1 * 6 + $3 * 3 + 2) / 4 ))
  py=$(( ($2 * 13 + $4 * 13 / 2 + 4) / 8 ))
  xdotool mousemove --window "$window" "$px" "$py"
  sleep 0.1
  xdotool click 1
  sleep 0.3
}

key() {
  xdotool mousemove --window "$window" 300 330
  sleep 0.1
  xdotool key "$1"
  sleep 0.3
}

# 1. The window, then Restore Defaults and OK.
far_settings
start_dialog
geometry=$(xwininfo -id "$window")
width=$(sed -n 's/^ *Width: *//p' <<<"$geometry")
height=$(sed -n 's/^ *Height: *//p' <<<"$geometry")
[ "$width" = 596 ] && [ "$height" = 397 ] || fail "client area ${width}x${height}, expected 596x397"
click_dlu 6 225 75 14   # Restore Defaults
click_dlu 244 225 65 14 # OK
finish
expect_value UseDesktop 1
expect_value EnableMusic 1
expect_value Volume 100
expect_value Gamma 50
expect_value ShowClock 1
expect_value ShowFPS 0
expect_value VSync 0
expect_value MouseExit 0
expect_value DefGamma 1
expect_value ShowFlame 0
expect_value Width 1024 # the desktop mode
expect_value Height 768
expect_value Depth 32
expect_value Speed 70 # kept
expect_value TimeFormat 1
echo "ok: Restore Defaults then OK"

# 2. A check box, the camera-speed thumb dragged to 30, page clicks, then Enter.
far_settings
start_dialog
click_dlu 111 17 48 9 # Show FPS: on -> off
# The speed trackbar (72,91 128x12) holds 70: its thumb is 70% along the
# channel, which leaves 8 pixels at either end.
left=$(( (72 * 6 + 2) / 4 + 8 ))
span=$(( (128 * 6 + 2) / 4 - 16 ))
y=$(( (91 * 13 + 6 * 13 + 4) / 8 ))
xdotool mousemove --window "$window" $((left + span * 70 / 100)) "$y"
sleep 0.1
xdotool mousedown 1
sleep 0.2
xdotool mousemove --window "$window" $((left + span * 50 / 100)) "$y"
sleep 0.2
xdotool mousemove --window "$window" $((left + span * 30 / 100)) "$y"
sleep 0.2
xdotool mouseup 1
sleep 0.3
# A click beside the brightness thumb (at 20) pages it up by 10; the volume
# trackbar is disabled (music is off) and ignores the same click.
y=$(( (130 * 13 + 6 * 13 + 4) / 8 ))
xdotool mousemove --window "$window" 280 "$y" click 1
sleep 0.3
xdotool mousemove --window "$window" 570 "$y" click 1
sleep 0.3
key Return
finish
expect_value Gamma 30
expect_value Volume 40
expect_value ShowFPS 0
speed=$(value Speed)
[ "$speed" -ge 29 ] && [ "$speed" -le 31 ] || fail "Speed is $speed after the drag, expected 30"
expect_value VSync 1 # untouched
echo "ok: check box, thumb drag, page click, disabled trackbar and Enter"

# 3. The About box over the dialog; Escape closes it, then Escape cancels.
far_settings
before=$(cat "$reg")
start_dialog
click_dlu 111 31 78 9   # Exit on Mouse move: a change that Cancel must drop
click_dlu 319 173 65 12 # About...
about=""
for _ in $(seq 50); do
  about=$(xdotool search --name '^About$' 2>/dev/null | head -n1 || true)
  [ -n "$about" ] && break
  sleep 0.1
done
[ -n "$about" ] || fail "no About box"
geometry=$(xwininfo -id "$about")
width=$(sed -n 's/^ *Width: *//p' <<<"$geometry")
height=$(sed -n 's/^ *Height: *//p' <<<"$geometry")
[ "$width" = 279 ] && [ "$height" = 166 ] || fail "About box ${width}x${height}, expected 279x166"
# Clicks on the dialog do nothing while the About box is open.
click_dlu 244 225 65 14
kill -0 "$app_pid" 2>/dev/null || fail "OK worked under the About box"
xdotool mousemove --window "$about" 140 60
sleep 0.1
xdotool key Escape
sleep 0.5
[ -z "$(xdotool search --name '^About$' 2>/dev/null || true)" ] || fail "Escape left the About box open"
kill -0 "$app_pid" 2>/dev/null || fail "closing the About box closed the dialog"
key Escape
finish
[ "$(cat "$reg")" = "$before" ] || fail "Cancel changed the settings file"
echo "ok: About box and Cancel"

# 4. /c:N: the dialog is transient for window N; a number that names no
# window leaves it without an owner and harms nothing.
xlogo -geometry 200x150+10+10 >/dev/null 2>&1 &
helper_pids+=($!)
owner=""
for _ in $(seq 100); do
  owner=$(xdotool search --name '^xlogo$' 2>/dev/null | head -n1 || true)
  [ -n "$owner" ] && break
  sleep 0.1
done
[ -n "$owner" ] || fail "no owner window"
start_dialog "/c:$owner"
transient=$(xprop -id "$window" WM_TRANSIENT_FOR 2>/dev/null || true)
[ "$(sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p' <<<"$transient")" = "$(printf '0x%x' "$owner")" ] ||
  fail "not transient for $owner: $transient"
key Escape
finish
start_dialog "/c:4000000000"
key Escape
finish
start_dialog "/c"
transient=$(xprop -id "$window" WM_TRANSIENT_FOR 2>/dev/null || true)
grep -q 'window id' <<<"$transient" && fail "/c alone gave the dialog an owner: $transient"
key Escape
finish
echo "ok: /c:N owner"
