#!/usr/bin/env bash
# Batch mode from the keyboard in a virtual display: Run > Batch mode, three projects picked in
# the tree and added with ">" (Return in the drive box and the list in between), the middle one
# removed before OK; the Output log then reports the others in turn, Build net and Solve on each,
# names the missing one without going on in another directory, the frame's caption names each
# project as it runs, and the last one is shown.
set -euo pipefail
kelm=$1
example=$2

source "$(dirname "$0")/xvfb_session.sh"
# The home directory is one of the dialog's places, and the one that holds the current project.
home_with_copies "$example" projA projAgone projB
start_kelm "$HOME/projA/geom.cod"
wait_for_line "File KLPLT.RES loaded" 30
wait_for_first_idle_pass

# Every caption the frame shows from here on, one line each as it changes.
(previous=; while kill -0 "$kelm_pid" 2>/dev/null; do
   caption=$(xdotool getwindowname "$frame" 2>/dev/null) || break
   [ "$caption" != "$previous" ] && echo "$caption" && previous=$caption
   sleep 0.05
 done >"$work/captions") &
pids+=($!)

open_batch_dialog
# Return in the drive box (which fills the tree again) and in the list ends nothing: the batch
# runs the projects added after it too. Focus goes drive box, tree, ">", "<", list.
xdotool key Return
add_projects 2
xdotool key Tab Tab Tab Return shift+Tab shift+Tab shift+Tab shift+Tab
add_projects 1 0
rm -r "$HOME/projAgone"
press_batch_ok
wait_for_windows "Select KELM projects" 0 30

# Each project's Build net and Solve reports, in turn, then the last project loaded again.
home=$(printf '%s' "$HOME" | sed 's/[][\.*^$/]/\\&/g')
report() {
  printf '%s' " Loading project from $home/$1\| \| Build net\| geom\.cod: 24 statements read\|[^|]*\|[^|]*\|"
  printf '%s' " geom\.dat ready: [0-9]+ outline points, written with the results\| \| \| Solve\|([^|]*\|){3} klinput\.dat: 7 statements read\|"
  printf '%s' " Vacuum field of 4961 nodes solved in [0-9.]+ s\|([^|]*\|)*"
}
# Nothing is built in another directory after the missing project: projB's report follows.
expected="$(report projA) Project directory not found: $home/projAgone\|$(report projB)"
expected+=" Loading project from $home/projB\| File GEOM\.DAT loaded\|"
batch_reported() { tr '\n' '|' <"$log" | grep -qE -- "$expected"; }
# The lines arrive one by one from the program thread.
eventually 60 batch_reported || fail "the batch report is not the expected lines in order"
wait_for_windows "KELMDEMO: $HOME/projB" 1 30
# The caption watcher samples on its own clock, so its file may lag the window by a sample.
caption_seen() { grep -qxF -- "$1" "$work/captions"; }
for caption in "KELM: $HOME/projA" "KELM: $HOME/projB" "KELMDEMO: $HOME/projB"; do
  eventually 5 caption_seen "$caption" || fail "the frame never showed \"$caption\": $(cat "$work/captions")"
done
echo "1 passed, 0 failed"
