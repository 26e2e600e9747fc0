#!/usr/bin/env bash
# KELM on a sample project in a virtual display, driven by real clicks and keys as a user
# would: the first click into an inactive view window only activates it and the second moves
# the plane; Ctrl+S pauses and resumes, Ctrl+Ins copies the active window; the close button of
# "Output" only puts it away and Solve (Alt+R S) on a copy then reloads the project; "Z coordinate ..."
# refuses bad texts with a message and Return presses its focused button; Ctrl+C ends the program.
set -euo pipefail
kelm=$1
project=$2
clipboard_probe=$3

source "$(dirname "$0")/xvfb_session.sh"
# Solve writes into the project: work on a copy.
cp -r "$(dirname "$project")" "$work/project"
start_kelm "$work/project/$(basename "$project")"

wait_for_line "File KLPLT.RES loaded" 60

wait_for_first_idle_pass
click_beam_at() { xdotool mousemove "$1" "$beam_y" click 1; }
marker_at() { [ "$(pixel "$1" $(( beam_y + 20 )))" = "0,0,0" ]; }
plane_moved_from() { [ "$(plane)" != "$1" ]; }

# "Beam" starts active; a click into "Phase plane", which has no mouse handler, activates that.
# The first click into the inactive Beam only activates it: Right, which Beam takes once active,
# then steps the plane one column from where it stood, so the marker cannot end at x + 1.
xdotool mousemove $(( WIDTH / 2 )) $(( plane_y + 200 )) click 1
x=$(( WIDTH * 3 / 10 ))
before=$(settled plane)
click_beam_at "$x"
xdotool key Right
eventually 30 plane_moved_from "$before" || fail "Right after a click into the Beam window did not move the plane"
marker_at $(( x + 1 )) && fail "the first click into the inactive Beam window moved the marker"
before=$(settled plane)
click_beam_at "$x"
eventually 30 plane_moved_from "$before" || fail "the second click did not move the plane"
eventually 10 marker_at "$x" || fail "no black marker at column $x after the second click"

# A click while paused (Ctrl+S) is dropped: Right after the second Ctrl+S steps from x.
xdotool key ctrl+s
x2=$(( WIDTH * 4 / 10 ))
click_beam_at "$x2"
xdotool key ctrl+s Right
eventually 30 marker_at $(( x + 1 )) || fail "Right after resuming did not step the marker from column $x"
marker_at $(( x2 + 1 )) && fail "a click while paused (Ctrl+S) moved the plane"
before=$(settled plane)
click_beam_at "$x2"
eventually 30 plane_moved_from "$before" || fail "the second Ctrl+S did not resume"

clipboard() { QT_QPA_PLATFORM=xcb "$clipboard_probe" "$@"; }
clipboard_holds_image() { case "$(clipboard)" in image*) return 0 ;; esac; return 1; }
[ "$(clipboard)" = none ] || fail "the clipboard of the fresh display is not empty"
xdotool key ctrl+Insert
eventually 10 clipboard_holds_image || fail "Ctrl+Ins did not copy the Beam window ($(clipboard))"

# The driver minimised "Output" to the first bar at the bottom left of the client area: its
# window icon first (the only colour on the grey bars, whichever icon the desktop gives KELM),
# the next bar's icon after it, and the close button's black cross the last dark mark before
# that. Prints the cross's position.
output_close_button() {
  local strip=$(( HEIGHT - 120 ))
  import -window root -crop "420x120+0+$strip" -depth 8 txt:- | sed -n '2,$p' \
    | sed -E 's/^([0-9]+),([0-9]+): \(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4 \5/' \
    | awk -v strip="$strip" '
        {
          high = $3 > $4 ? $3 : $4; high = high > $5 ? high : $5
          low = $3 < $4 ? $3 : $4; low = low < $5 ? low : $5
          icon[$1, $2] = high - low > 40; dark[$1, $2] = $3 + $4 + $5 < 180
        }
        icon[$1, $2] && $1 < 30 { if (first == "" || $2 < first) first = $2; if ($2 > last) last = $2 }
        END {
          if (first == "") exit 1
          y = int((first + last) / 2)
          for (x = 30; x < 420 && !icon[x, y]; ++x) {}
          for (--x; x > 30 && !dark[x, y]; --x) {}
          if (x <= 30) exit 1
          print x - 1, strip + y
        }'
}
read -r close_x close_y < <(output_close_button) || fail "no minimised Output window at the bottom left"
xdotool mousemove "$close_x" "$close_y" click 1
output_shown() { output_close_button >/dev/null; }
output_put_away() { ! output_shown; }
eventually 10 output_put_away || fail "the Output window is still shown after its close button"

menu_keys r s
wait_for_line " Vacuum field of 4961 nodes solved in " 30
# After the report the driver loads the same project again, and "Output" is back.
loaded_again() { [ "$(grep -c -F "File KLPLT.RES loaded" "$log")" -ge 2 ]; }
eventually 60 loaded_again || fail "the project was not loaded again after Solve"
eventually 30 output_shown || fail "the Output window did not come back with the reload"

# "Z coordinate ...", its fields filled from the keyboard (the focus goes z, divisions, OK,
# Cancel), then left by the row's keys. A refused text brings a message in front of the dialog,
# which stays open until Escape; Return on a focused button presses it, in a field it is OK.
copied() { [[ $(clipboard --text) =~ $1 ]]; }
fill() { xdotool key ctrl+a BackSpace; [ -z "$1" ] || xdotool type -- "$1"; }  # the focused field
# "plane divisions" as the dialog shows them next, copied out of its fields one after the
# other: a whole number, then a number with a point, so no copy is mistaken for the one before.
z_dialog_shows() {
  local divisions
  menu_keys w z
  wait_for_windows "Z coordinate ..." 1 20
  xdotool key Tab ctrl+a ctrl+c
  eventually 10 copied '^[0-9]+$' || fail "no whole number copied from the divisions field"
  divisions=$(clipboard --text)
  xdotool key shift+Tab ctrl+a ctrl+c
  eventually 10 copied '^-?[0-9]*\.[0-9]*$' || fail "no plane copied from the z field"
  echo "$(clipboard --text) $divisions"
  xdotool key Escape
  wait_for_windows "Z coordinate ..." 0 20
}
start=$(z_dialog_shows)
rows=(  # z|divisions|keys|refused, or what the dialog shows next
  "1e20|10|Return|refused" "30,5|10|Return|refused" "abc|10|Return|refused" "|10|Return|refused"
  "NaN|10|Return|refused" "30 5|10|Return|refused" "1e39|10|Return|refused" "-500|10|Return|refused"
  "20|x|Return|refused" "20|3,5|Return|refused"
  "5|7|Tab Tab Return|$start" "5|3|Tab Return|5.0 3" "12.5|2|Return|12.5 2"
)
for row in "${rows[@]}"; do
  IFS='|' read -r z divisions keys expected <<<"$row"
  menu_keys w z
  wait_for_windows "Z coordinate ..." 1 20
  fill "$z"
  xdotool key Tab
  fill "$divisions"
  xdotool key $keys
  if [ "$expected" = refused ]; then
    wait_for_windows "Z coordinate ..." 2 20
    xdotool key Return
    wait_for_windows "Z coordinate ..." 1 20
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Z coordinate \.\.\.$' | head -n 1)" || true
    xdotool key Escape
  fi
  wait_for_windows "Z coordinate ..." 0 20
  [ "$expected" = refused ] || [ "$(z_dialog_shows)" = "$expected" ] ||
    fail "after z \"$z\", divisions \"$divisions\" and $keys the dialog does not show $expected"
done

# Ctrl+C then ends KELM cleanly, which it could not do had the plane z = 1e20 ended or trapped it.
focus_frame
xdotool key ctrl+c
ended() { ! kill -0 "$kelm_pid" 2>/dev/null; }
eventually 20 ended || fail "Ctrl+C did not end the program"
wait "$kelm_pid" || fail "KELM ended with a failure after the plane z = 1e20 and Ctrl+C"
grep -qF "run-time error" "$log" && fail "the plane z = 1e20 ended the program"
echo "1 passed, 0 failed"
