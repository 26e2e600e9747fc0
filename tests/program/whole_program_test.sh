#!/usr/bin/env bash
# KELM on a sample project in a virtual display, driven by the mouse and the keyboard as a
# user would: a click in "Beam" moves the marker and redraws the phase plane, Alt+R S asks
# for Solve and its warning appears in the Output log.
set -euo pipefail
kelm=$1
project=$2

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/log" ] && sed 's/^/  log: /' "$work/log" >&2; exit 1; }

width=1600 height=1000
display=":$((200 + $$ % 500))"
Xvfb "$display" -screen 0 ${width}x${height}x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

log=$work/log
KELM_LOG=$log QT_QPA_PLATFORM=xcb "$kelm" "$project" >"$work/stdout" 2>&1 &
pids+=($!)

wait_for_line() {  # text, seconds
  for _ in $(seq $(( $2 * 10 ))); do
    grep -qF -- "$1" "$log" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "no line \"$1\" within $2 s; the program said: $(tail -n 40 "$work/stdout" 2>/dev/null)"
}

pixel() {  # x y -> "r,g,b"
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 | sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}
region_sum() {  # x y w h -> checksum of the pixels
  import -window root -crop "${3}x${4}+$1+$2" -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

wait_for_line "File KLPLT.RES loaded" 30
sleep 2  # the driver draws the phase plane in its first idle pass

frame=$(xdotool search --sync --name '^KELMDEMO: ' | head -n 1)
[ -n "$frame" ] || fail "no frame titled KELMDEMO"
xdotool windowfocus --sync "$frame" || true
eval "$(xdotool getwindowgeometry --shell "$frame")"  # X Y WIDTH HEIGHT of the frame

# The frame is maximised with "Beam" on top in the upper half of its client area and
# "Phase plane" in the lower half; find the top of the client area as the first white row.
column=$(( WIDTH / 3 ))
top=0
for y in $(seq 10 120); do
  if [ "$(pixel $column $y)" = "255,255,255" ]; then top=$y; break; fi
done
[ "$top" -gt 0 ] || fail "no white view area found below the menu bar"
beam_y=$(( top + 40 ))
plane_before=$(region_sum 0 $(( top + (HEIGHT - top) / 2 + 40 )) "$WIDTH" 120)

# The first click may only activate the window; the second sets the plane.
click_x=$(( WIDTH * 3 / 10 ))
xdotool mousemove "$click_x" "$beam_y" click 1
sleep 0.3
xdotool mousemove "$click_x" "$beam_y" click 1
sleep 1
marker=$(pixel "$click_x" $(( beam_y + 20 )))
[ "$marker" = "0,0,0" ] || fail "no black marker at column $click_x after the click (found $marker)"
plane_after=$(region_sum 0 $(( top + (HEIGHT - top) / 2 + 40 )) "$WIDTH" 120)
[ "$plane_before" != "$plane_after" ] || fail "the phase plane figures did not change"

xdotool windowfocus --sync "$frame" || true
xdotool key --clearmodifiers alt+r
sleep 0.3
xdotool key s
wait_for_line "SOLVE command not implemented" 10
grep -A1 -B2 -F " SOLVE command not implemented" "$log" | tr '\n' '|' \
  | grep -qF " | Warning! Demo version| SOLVE command not implemented| |" \
  || fail "the Solve warning is not the four expected lines"
# After the warning the driver loads the same project again.
for _ in $(seq 50); do
  [ "$(grep -c -F "Loading project from" "$log")" -ge 2 ] && break
  sleep 0.1
done
[ "$(grep -c -F "Loading project from" "$log")" -ge 2 ] || fail "the project was not loaded again after Solve"
echo "1 passed, 0 failed"
