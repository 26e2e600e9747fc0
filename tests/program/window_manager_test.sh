#!/usr/bin/env bash
# KELM under a window manager (openbox), driven by real keys: the views keep clear of the row
# of minimised windows after a load, after a batch run and after a reload; Window > Cascade
# keeps the views' size; Enter in the batch dialog's tree opens a directory instead of starting
# the batch; the frame carries KELM's icon; the arrow keys move the plane; the modal dialogs
# carry no minimise or maximise button of their own; Ctrl+C copies a selection in "Output" and
# ends KELM where there is none.
set -euo pipefail
kelm=$1
example=$2
clipboard_probe=$3

source "$(dirname "$0")/xvfb_session.sh"
home_with_copies "$example" projA projB

start_openbox

start_kelm "$HOME/projA/geom.cod"
wait_for_line "File KLPLT.RES loaded" 60
wait_for_first_idle_pass

column() {  # x y0 count -> one "r g b" line per row from y0 down
  import -window root -crop "1x$3+$1+$2" -depth 8 txt:- | sed -n '2,$p' \
    | sed -E 's/^[0-9]+,[0-9]+: \(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
}
# The status bar's top row: going up its middle, between the run state and the note at the
# right, from the bottom, the first row that differs from the bottom row.
status_top() {
  column $(( X + WIDTH / 2 )) $(( Y + HEIGHT - 80 )) 80 | awk '{ row[NR] = $0 } END {
    for (i = NR - 1; i >= 1; --i) if (row[i] != row[NR]) { print i; exit } }'
}
# Rows of the frame's background colour right above the status bar, at the right edge, where no
# minimised window stands: the room the views leave for the row of minimised windows.
free_rows_above_status() {
  local top
  top=$(status_top)
  column $(( X + WIDTH - 40 )) $(( Y + HEIGHT - 80 )) "$top" | tac | awk -v bg="$background" '
    $0 == bg { ++n; next } { exit } END { print n + 0 }'
}
# Rows of the minimised "Output" window's bar, next to its icon, above the status bar.
bar_rows() {
  local top
  top=$(status_top)
  column $(( X + 35 )) $(( Y + HEIGHT - 80 )) "$top" | tac | awk -v bg="$background" '
    $0 != bg { ++n; next } { exit } END { print n + 0 }'
}

# Window > Cascade: the views keep their size, so the topmost still shows its white surface
# well below its title bar; the background is what is left at the bottom right.
menu_keys w c
cascaded() { [ "$(pixel $(( X + WIDTH * 3 / 4 )) $(( Y + top + 150 )))" = "255,255,255" ]; }
eventually 10 cascaded || fail "Window > Cascade left the views without their surfaces"
background=$(settled column $(( X + WIDTH - 40 )) $(( Y + HEIGHT - 200 )) 1)
row_height=$(bar_rows)
[ "$row_height" -ge 16 ] || fail "no minimised Output window at the bottom left ($row_height rows)"

# Captured whole first: grep -q would end the pipe under xprop's feet.
icon=$(xprop -id "$frame" _NET_WM_ICON)
[[ $icon == *"Icon ("* ]] || fail "the frame does not carry KELM's icon"

# Lays the views out again as a load does (Solve reloads), then checks the room they leave.
check_layout() {  # when
  eventually 60 layout_drawn || fail "the views were not laid out again $1"
  # The driver's first idle pass, which activates Beam, follows the drawing.
  local free
  free=$(settled free_rows_above_status)
  [ "$free" -ge "$row_height" ] \
    || fail "$1 the views reach into the row of minimised windows ($free free rows, the row is $row_height)"
}
# Run > Solve until it is taken: the Run menu's items stay grey until the driver idles, which
# may be a moment after the views are drawn. Solve ends by loading the project again.
solve_until() {  # condition...
  for _ in 1 2 3 4; do
    menu_keys r s
    eventually 15 "$@" && return 0
    xdotool key Escape Escape
  done
  return 1
}
reloaded() { [ "$(grep -c -F "File KLPLT.RES loaded" "$log")" -ge 2 ]; }
solve_until reloaded || fail "Solve did not load the project again"
check_layout "after the first load"

# A click in "Beam" gives it the keys: Right moves the marker one column on, Shift+Left ten back.
marker_at() { [ "$(pixel "$1" $(( beam_y + 20 )))" = "0,0,0" ]; }
x=$(( X + WIDTH * 3 / 10 ))
# Solve's reload may still be activating its windows: a click that only activates is repeated.
click_moves_marker() { xdotool mousemove "$x" "$beam_y" click 1; eventually 2 marker_at "$x"; }
eventually 10 click_moves_marker || fail "no marker at column $x after a click into Beam"
xdotool key Right
eventually 10 marker_at $(( x + 1 )) || fail "Right did not move the marker one column"
xdotool key shift+Left
eventually 10 marker_at $(( x - 9 )) || fail "Shift+Left did not move the marker ten columns back"
marker_at $(( x + 1 )) && fail "the marker stayed at the column before Shift+Left"

# KELM's modal dialogs ask the window manager for a title and a close button only (the
# functions and decorations of _MOTIF_WM_HINTS hold no minimise or maximise). Openbox offers
# minimise on every dialog whatever the hints say, and maximise on any it may resize: a dialog
# of fixed size has none, and minimising a dialog takes the frame with it, and back.
check_dialog() {  # title of the dialog now open
  local dialog="" hints functions decorations
  open() { dialog=$(xdotool search --onlyvisible --name "^$1\$" | tail -n 1); [ -n "$dialog" ]; }
  eventually 10 open "$1" || fail "no dialog \"$1\" came up"
  hints=$(xprop -id "$dialog" _MOTIF_WM_HINTS)
  read -r functions decorations < <(sed -E 's/.*= *0x[0-9a-f]+, *(0x[0-9a-f]+), *(0x[0-9a-f]+).*/\1 \2/' <<<"$hints")
  (( (functions & 0x18) == 0 && (decorations & 0x60) == 0 )) || fail "\"$1\" asks for minimise or maximise: $hints"
  [[ $(xprop -id "$dialog" _NET_WM_ALLOWED_ACTIONS) != *MAXIMIZE* ]] || fail "\"$1\" can be maximised"
  xdotool windowminimize "$dialog"
  iconic() { [[ $(xprop -id "$1" WM_STATE) == *Iconic* ]]; }
  eventually 10 iconic "$frame" || fail "minimising \"$1\" left the frame up without its dialog"
  xdotool windowactivate "$frame" 2>/dev/null || true
  shown() { ! iconic "$1"; }
  eventually 10 shown "$dialog" || fail "\"$1\" did not come back with the frame"
  xdotool windowfocus --sync "$dialog" || true
  xdotool key Escape
  wait_for_windows "$1" 0 10
}
menu_keys w z
check_dialog "Z coordinate ..."
menu_keys h a
check_dialog "kelm"

# Batch mode with both projects; Enter in the tree opens "projA" and does not end the dialog:
# the keys after it still add both projects, and the batch runs them.
open_batch_dialog
xdotool key Tab End Home Return shift+Tab
add_projects 0 1
press_batch_ok
wait_for_windows "Select KELM projects" 0 30
batch_ran() {
  local lines
  lines=$(tr '\n' '|' <"$log")
  [[ $lines == *"Loading project from $HOME/projA| | Build net"*"Loading project from $HOME/projB| | Build net"* ]]
}
eventually 60 batch_ran || fail "Enter in the tree ended the batch dialog: the batch did not run projA and projB"
wait_for_windows "KELMDEMO: $HOME/projB" 1 60
check_layout "after the batch run"

loaded_again() { [ "$(grep -c -F "Loading project from $HOME/projB" "$log")" -ge 3 ]; }
solve_until loaded_again || fail "Solve did not load projB again"
check_layout "after loading again"

# "Output" back (Tile brings the minimised windows' bars in order, the Output bar's title is a
# click away), everything in it selected, Ctrl+C: copied, and KELM goes on.
clipboard() { QT_QPA_PLATFORM=xcb "$clipboard_probe"; }
holds_text() { [ "$(clipboard)" = text ]; }
# A busy machine may still be laying the frame out after the load: a user would try again.
copy_output() {
  xdotool mousemove $(( X + 80 )) $(( Y + HEIGHT - 80 + $(status_top) - row_height / 2 )) click --repeat 2 1
  menu_keys e a
  xdotool key ctrl+c
  eventually 5 holds_text
}
copy_output || copy_output || copy_output || fail "Ctrl+C with text selected in Output copied nothing ($(clipboard))"
# A menu opening after it shows KELM went on.
kill -0 "$kelm_pid" 2>/dev/null || fail "Ctrl+C with text selected in Output ended KELM"
menu_keys w Escape

# In a view, Ctrl+C still ends KELM.
xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 3 )) click 1
xdotool key ctrl+c
ended() { ! kill -0 "$kelm_pid" 2>/dev/null; }
eventually 20 ended || fail "Ctrl+C in a view did not end KELM"
echo "1 passed, 0 failed"
