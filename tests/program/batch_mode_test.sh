#!/usr/bin/env bash
# Batch mode from the keyboard in a virtual display: Run > Batch mode, two projects picked in
# the tree by typing their names and added with ">", OK; the Output log then reports both in
# turn, Build net and Solve on each, and the last one is shown.
set -euo pipefail
kelm=$1
example=$2

source "$(dirname "$0")/xvfb_session.sh"
# The home directory is one of the dialog's places, and the one that holds the current project.
home_with_copies "$example" projA projB
start_kelm "$HOME/projA/geom.cod"
wait_for_line "File KLPLT.RES loaded" 30
wait_for_first_idle_pass

open_batch_dialog

# Focus starts on the drive box; the tree is next, then ">", "<", the list, "Clear" and "OK".
xdotool key Tab
xdotool type --delay 60 projB
xdotool key Tab space
sleep 0.3
xdotool key shift+Tab
sleep 0.5  # a new type-ahead search
xdotool type --delay 60 projA
xdotool key Tab space
sleep 0.3
xdotool key Tab Tab Tab Tab space
wait_for_windows "Select KELM projects" 0 30

# Each project's Build net and Solve reports, in turn, then the last project loaded again.
home=$(printf '%s' "$HOME" | sed 's/[][\.*^$/]/\\&/g')
report() {
  printf '%s' " Loading project from $home/$1\| \| Build net\| geom\.cod: 24 statements read\|[^|]*\|[^|]*\|"
  printf '%s' " geom\.dat ready: [0-9]+ outline points, written with the results\| \| \| Solve\|([^|]*\|){4} Vacuum field of 4961 nodes"
  printf '%s' " solved in [0-9.]+ s\|([^|]*\|)*"
}
expected="$(report projA)$(report projB) Loading project from $home/projB\| File GEOM\.DAT loaded\|"
# The lines arrive one by one from the program thread: poll until the whole report is there.
for _ in $(seq 300); do
  tr '\n' '|' <"$log" | grep -qE -- "$expected" && break
  sleep 0.1
done
tr '\n' '|' <"$log" | grep -qE -- "$expected" \
  || fail "the batch report is not the expected lines in order"
wait_for_windows "KELMDEMO: $HOME/projB" 1 30
echo "1 passed, 0 failed"
