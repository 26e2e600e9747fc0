#!/usr/bin/env bash
# The desktop around a solve under a window manager, with real keys: Solve keeps the plane the
# user chose; a failed Build net brings "Output" to the front with its line; Run > Stop ends a
# solve between two iterations with every file as it was; Exit during a solve asks first, No
# goes on solving and Yes stops the solve before KELM ends.
set -euo pipefail
kelm=$1
example=$2
clipboard_probe=$3

source "$(dirname "$0")/xvfb_session.sh"
project=$work/gun
cp -r "$example" "$project"
start_openbox
start_kelm "$project/geom.cod"
wait_for_line "File KLPLT.RES loaded" 60
wait_for_first_idle_pass

files() { (cd "$project" && md5sum -- * | grep -v ' solve-record\.csv$'); }
loads() { grep -c -F "File GEOM.DAT loaded" "$log" || true; }
loaded_more_than() { [ "$(loads)" -gt "$1" ]; }
count() { grep -c -F -- "$1" "$log" || true; }
more_than() { [ "$(count "$1")" -gt "$2" ]; }
clipboard() { QT_QPA_PLATFORM=xcb "$clipboard_probe" "$@"; }
# The commands stay grey until the driver idles, a moment after the files are loaded: a menu
# key that found its item grey is given again.
z_dialog_shown() { [ "$(windows_named "Z coordinate ...")" -eq 1 ]; }
solves() { grep -c -x -F " Solve" "$log" || true; }
solve_started() { [ "$(solves)" -gt "$1" ]; }
until_taken() {  # letters, condition...
  local letters=$1
  shift
  for _ in 1 2 3 4 5; do
    menu_keys $letters
    eventually 10 "$@" && return 0
    xdotool key Escape Escape
  done
  fail "the command under Alt+$letters was not taken"
}
start_solve() { until_taken "r s" solve_started "$(solves)"; }
copied_number() { [[ $(clipboard --text) =~ ^[0-9.]+$ ]]; }
# The plane as Window > Z-coordinate shows it, copied out of its field.
plane_z() {
  until_taken "w z" z_dialog_shown
  xdotool key ctrl+a ctrl+c
  eventually 10 copied_number || fail "no number copied from the Z coordinate field"
  clipboard --text
  xdotool key Escape
  wait_for_windows "Z coordinate ..." 0 20
}

# A plane a quarter into the gun, then Solve: the plane stays where it was.
x=$(( X + WIDTH / 4 ))
marker_at() { [ "$(pixel "$1" $(( beam_y + 20 )))" = "0,0,0" ]; }
click_moves_marker() { xdotool mousemove "$x" "$beam_y" click 1; eventually 2 marker_at "$x"; }
eventually 10 click_moves_marker || fail "no marker at column $x after a click into Beam"
chosen=$(plane_z)
middle=$(awk -v z="$chosen" 'BEGIN { print (z > 29 && z < 31) }')
[ "$middle" = 0 ] || fail "the click put the plane at $chosen mm, the middle of the gun"
before=$(loads)
start_solve
wait_for_line " Solved in " 120
eventually 60 loaded_more_than "$before" || fail "Solve did not load the project again"
wait_for_first_idle_pass
[ "$(plane_z)" = "$chosen" ] || fail "Solve moved the plane from $chosen mm"

# A failed Build net: "Output" is the active window, so Ctrl+C copies its text, not ends KELM.
# The left of the Beam view as the load draws it; the Output window, when up, stands over it.
left_of_beam() { region_sum "$X" "$top" 500 300; }
views_alone=$(settled left_of_beam)
output_over_views() { [ "$(settled left_of_beam)" != "$views_alone" ]; }
cp "$project/geom.cod" "$work/geom.cod"
sed -i '16s/.*/  arc 11 12 radius -2 cw/' "$project/geom.cod"
before=$(loads)
builds() { grep -c -x -F " Build net" "$log" || true; }
build_started() { [ "$(builds)" -gt "$1" ]; }
until_taken "r n" build_started "$(builds)"
wait_for_line "geom.cod:16:" 60
eventually 60 loaded_more_than "$before" || fail "the project was not loaded again after the failure"
holds_text() { [ "$(clipboard)" = text ]; }
eventually 30 output_over_views || fail "the failed Build net did not bring the Output window up"
menu_keys e a
xdotool key ctrl+c
eventually 10 holds_text || fail "after the failed Build net \"Output\" was not the active window ($(clipboard))"
kill -0 "$kelm_pid" 2>/dev/null || fail "Ctrl+C after the failed Build net ended KELM: Output was not in front"
cp "$work/geom.cod" "$project/geom.cod"

# A solve long enough to stop: Run > Stop after its second iteration.
sed -i -e 's/^trajectories .*/trajectories 1000/' -e 's/^iterations .*/iterations 10000/' \
  -e 's/^tolerance .*/tolerance 1e-9/' "$project/klinput.dat"
xdotool mousemove "$x" "$beam_y" click 1
written=$(files)
before=$(loads)
seconds=$(count "Iteration   2:")
start_solve
eventually 120 more_than "Iteration   2:" "$seconds" || fail "the long solve did not reach its second iteration"
menu_keys r t
wait_for_line " Solve stopped: nothing written" 60
eventually 60 loaded_more_than "$before" || fail "the project was not loaded again after Stop"
[ "$(files)" = "$written" ] || fail "a stopped solve changed the project's files"

# Exit during a solve: No goes on solving, Yes stops it and ends KELM with the files as they were.
wait_for_first_idle_pass
xdotool mousemove "$x" "$beam_y" click 1
stops=$(count "Solve stopped")
seconds=$(count "Iteration   2:")
start_solve
eventually 120 more_than "Iteration   2:" "$seconds" || fail "the solve did not reach its second iteration"
xdotool key ctrl+c
wait_for_windows kelm 1 20
iterations=$(count "Iteration ")
xdotool key Escape
wait_for_windows kelm 0 20
eventually 60 more_than "Iteration " "$iterations" || fail "the solve did not go on after No"
kill -0 "$kelm_pid" 2>/dev/null || fail "No to the exit question ended KELM"
more_than "Solve stopped" "$stops" && fail "No to the exit question stopped the solve"
xdotool key ctrl+c
wait_for_windows kelm 1 20
xdotool key Return
ended() { ! kill -0 "$kelm_pid" 2>/dev/null; }
eventually 60 ended || fail "Yes to the exit question did not end KELM"
more_than "Solve stopped" "$stops" || fail "KELM ended without stopping the solve"
[ "$(files)" = "$written" ] || fail "exiting during a solve changed the project's files"
echo "1 passed, 0 failed"
