#!/usr/bin/env bash
# Run > Solve and Run > Batch mode computing beams in a virtual display, with real input: Solve
# on a copy of the example that shows another beam prints the iteration lines on the Output
# window, writes its beam and redraws the Beam view with it; Batch mode over three copies
# solves all three, each to the same bytes.
set -euo pipefail
kelm=$1
examples=$2

source "$(dirname "$0")/xvfb_session.sh"
home_with_copies "$examples/simple" projA projB projC
for project in projA projB projC; do rm "$HOME/$project/klplt.res"; done
# The same electrodes with the solenoid gun's beam: Solve must replace it.
cp "$examples/solenoid-gun/klplt.res" "$HOME/projA/klplt.res"
start_kelm "$HOME/projA/geom.cod"
wait_for_line "File KLPLT.RES loaded" 60
wait_for_first_idle_pass

beam_pixels() {  # trajectories drawn in the Beam view, the upper half of the client area
  import -window root -crop "${WIDTH}x$(( (HEIGHT - top) / 2 ))+0+$top" -depth 8 -format %c histogram:info:- \
    | awk '{ gsub(/ /, "", $2) } $2 == "(0,192,0)" { sub(/:/, "", $1); n = $1 } END { print n + 0 }'
}
loads() { grep -c -F "File GEOM.DAT loaded" "$log" || true; }
loaded_more_than() { [ "$(loads)" -gt "$1" ]; }
solved_count() { grep -c -E "^ Solved in [0-9.]+ s: [0-9]+ iterations" "$log" || true; }
solved_more_than() { [ "$(solved_count)" -gt "$1" ]; }

beam_before=$(settled beam_pixels)
before=$(loads)
menu_keys r s
eventually 120 solved_more_than 0 || fail "Solve did not end within 120 s"
eventually 60 loaded_more_than "$before" || fail "the project was not loaded again"
wait_for_first_idle_pass
iterations=$(sed -n -E 's/^ Solved in [0-9.]+ s: ([0-9]+) iterations.*/\1/p' "$log" | head -n 1)
[ "$iterations" -gt 1 ] || fail "Solve reports $iterations iterations"
[ "$(grep -c -E "^ Iteration +[0-9]+: current [0-9.e+-]+ A, perveance [0-9.e+-]+ uP at 10000 V, change " "$log")" \
  -eq "$iterations" ] || fail "not one Output line for each of the $iterations iterations"
grep -qF " klplt.res written: 12 trajectories" "$log" || fail "no klplt.res line"
cmp -s "$HOME/projA/klplt.res" "$examples/solenoid-gun/klplt.res" && fail "Solve left the other beam in klplt.res"
cp "$HOME/projA/klplt.res" "$work/solved.res"
beam_after=$(settled beam_pixels)
[ "$beam_after" -gt 0 ] && [ "$beam_after" != "$beam_before" ] \
  || fail "the Beam view's trajectories were not redrawn ($beam_before green pixels, then $beam_after)"

open_batch_dialog
add_projects 1 2 0
press_batch_ok
wait_for_windows "Select KELM projects" 0 30
eventually 300 solved_more_than 3 || fail "the batch did not solve three projects within 300 s"
for project in projA projB projC; do
  cmp -s "$HOME/$project/klplt.res" "$work/solved.res" || fail "$project: another beam than Solve's from the same input"
done
grep -q "nothing solved" "$log" && fail "a project of the batch failed"
echo "1 passed, 0 failed"
