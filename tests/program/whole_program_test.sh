#!/usr/bin/env bash
# KELM on a sample project in a virtual display, driven by the mouse and the keyboard as a
# user would: a click in "Beam" moves the marker and redraws the phase plane, Alt+R S asks
# for Solve and its warning appears in the Output log.
set -euo pipefail
kelm=$1
project=$2

source "$(dirname "$0")/xvfb_session.sh"
start_kelm "$project"

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
