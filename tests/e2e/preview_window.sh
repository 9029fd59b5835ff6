#!/usr/bin/env bash
# The preview mode under Xvfb: `nimbrel /p <id>` puts the preview picture at
# the top left of window <id> at its own size on black (read back from the
# screen), and ends with exit code 0 when that window goes away. Without a
# window number, or with one that names no window, it reports "Cannot creat
# window!" and exits with 0.
# Usage: preview_window.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
nimbrel="$build/nimbrel"

source "$(dirname "$0")/lib/common.sh"
require_tools Xvfb xdotool xwininfo xwd xlogo convert
[ -x "$build/tests/tests_ui" ] || skip "tests_ui (which writes the expected picture) is not built"

make_work_dir
start_xvfb 800x600x24 || {
  echo "FAIL: Xvfb did not start"
  cat "$tmp/xvfb.log"
  exit 1
}
unset NIMBREL_NO_MESSAGE_BOX

# The picture the preview must show.
NIMBREL_WRITE_PREVIEW_RGB="$tmp/expected.rgb" "$build/tests/tests_ui" \
  --gtest_filter=Pictures.WritesThePreviewPictureWhenAsked >/dev/null
[ "$(stat -c %s "$tmp/expected.rgb")" = $((155 * 115 * 3)) ] || fail "no expected picture"

wait_exit() { # pid seconds: rc := the exit code, or "running"
  local pid=$1
  rc=0
  for _ in $(seq $(($2 * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    rc=running
    return
  fi
  wait "$pid" || rc=$?
}

# 1. A parent window of 320 x 240 with a picture of its own (the X logo).
xlogo -geometry 320x240+40+30 -bg white -fg red >/dev/null 2>&1 &
parent_pid=$!
helper_pids+=("$parent_pid")
parent=""
for _ in $(seq 300); do # up to 30 s on a loaded machine
  parent=$(xdotool search --name '^xlogo$' 2>/dev/null | head -n1 || true)
  [ -n "$parent" ] && xwininfo -id "$parent" | grep -q IsViewable && break
  parent=""
  sleep 0.1
done
[ -n "$parent" ] || fail "no parent window"
geometry=$(xwininfo -id "$parent")
# xwininfo places the window at the outer corner of its border.
border=$(sed -n 's/^ *Border width: *//p' <<<"$geometry")
px=$(($(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$geometry") + border))
py=$(($(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$geometry") + border))
pw=$(sed -n 's/^ *Width: *//p' <<<"$geometry")
ph=$(sed -n 's/^ *Height: *//p' <<<"$geometry")

"$nimbrel" /p "$((parent))" >"$tmp/stdout" 2>"$tmp/stderr" &
app_pid=$!
child=""
for _ in $(seq 300); do # up to 30 s on a loaded machine
  child=$(xwininfo -children -id "$parent" | sed -n 's/^ *\(0x[0-9a-f]*\) "QZ3DQZ".*/\1/p' | head -n1)
  [ -n "$child" ] && break
  kill -0 "$app_pid" 2>/dev/null || fail "nimbrel /p ended at once"
  sleep 0.1
done
[ -n "$child" ] || fail "no preview window inside the parent"
sleep 1
geometry=$(xwininfo -id "$child")
cw=$(sed -n 's/^ *Width: *//p' <<<"$geometry")
ch=$(sed -n 's/^ *Height: *//p' <<<"$geometry")
[ "$cw" = "$pw" ] && [ "$ch" = "$ph" ] || fail "preview ${cw}x${ch} in a ${pw}x${ph} parent"

# Read the screen back: the picture at the parent's top left, black beside
# and below it.
xwd -root -silent >"$tmp/screen.xwd"
convert "xwd:$tmp/screen.xwd" -crop "155x115+$px+$py" +repage -depth 8 "rgb:$tmp/shown.rgb"
cmp -s "$tmp/expected.rgb" "$tmp/shown.rgb" || fail "the top left of the parent at $px,$py does not show the picture"
convert "xwd:$tmp/screen.xwd" -crop "$((pw - 155))x${ph}+$((px + 155))+$py" +repage -depth 8 \
  "rgb:$tmp/right.rgb"
convert "xwd:$tmp/screen.xwd" -crop "155x$((ph - 115))+$px+$((py + 115))" +repage -depth 8 \
  "rgb:$tmp/below.rgb"
for part in right below; do
  [ -s "$tmp/$part.rgb" ] || fail "nothing read $part of the picture"
  [ "$(tr -d '\000' <"$tmp/$part.rgb" | wc -c)" = 0 ] || fail "not black $part of the picture"
done
echo "ok: the picture at the parent's top left on black"

# 2. Hidden and shown again, it repaints.
xdotool windowunmap --sync "$parent"
xdotool windowmap --sync "$parent"
sleep 0.5
xwd -root -silent >"$tmp/screen.xwd"
convert "xwd:$tmp/screen.xwd" -crop "155x115+$px+$py" +repage -depth 8 "rgb:$tmp/shown.rgb"
cmp -s "$tmp/expected.rgb" "$tmp/shown.rgb" || fail "no repaint after the window was shown again"
echo "ok: repainted"

# 3. The host stops a preview with SIGTERM: it ends with exit code 0.
"$nimbrel" /p "$((parent))" >"$tmp/stdout2" 2>"$tmp/stderr2" &
second=$!
sleep 1
kill -0 "$second" 2>/dev/null || fail "the second preview ended at once"
kill -TERM "$second"
wait_exit "$second" 10
[ "$rc" = 0 ] || fail "after SIGTERM: $rc (expected exit code 0)"
echo "ok: SIGTERM"

# 4. The parent goes away, and the preview with it.
kill "$parent_pid"
wait "$parent_pid" 2>/dev/null || true
helper_pids=() # gone: nothing to end at exit
wait_exit "$app_pid" 10
app_pid=""
[ "$rc" = 0 ] || fail "after the parent was destroyed: $rc (expected exit code 0)"
echo "ok: ends with the parent"

# 5. No window number, and a number that names no window: the message box
# "Cannot creat window!" with the caption "ERROR", dismissed with Return.
for args in "/p" "/p 123456789"; do
  # shellcheck disable=SC2086
  "$nimbrel" $args >"$tmp/stdout" 2>"$tmp/stderr" &
  app_pid=$!
  box=""
  for _ in $(seq 100); do
    # (xdotool does not match the box's UTF-8 title, so ask xwininfo.)
    box=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "ERROR".*/\1/p' | head -n1)
    [ -n "$box" ] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -n "$box" ]; then
    sleep 0.3
    xdotool mousemove --window "$box" 5 5
    xdotool windowfocus "$box" 2>/dev/null || true
    xdotool key Return
  else
    # Without the X server's core fonts (xfonts-base) SDL cannot draw a
    # message box; the line on stderr is then the whole report.
    echo "note: $args: no message box on this X server"
  fi
  wait_exit "$app_pid" 10
  app_pid=""
  [ "$rc" = 0 ] || fail "$args: $rc (expected exit code 0)"
  grep -q '^ERROR: Cannot creat window!$' "$tmp/stderr" || fail "$args: no report on stderr"
done
echo "ok: no parent window"
