#!/usr/bin/env bash
# KELM started without a project: cancelling "Select KELM project" ends the main program, and
# the frame asks whether to close. No (the default) keeps the frame with its menus working;
# Yes closes it and ends the process.
set -euo pipefail
kelm=$(realpath "$1")

source "$(dirname "$0")/xvfb_session.sh"
cd "$work"
caption=$(basename "$kelm")

cancel_the_start_up_dialog() {
  dialog=$(xdotool search --sync --name '^Select KELM project$' | head -n 1)
  [ -n "$dialog" ] || fail "no start-up dialog"
  frame=$(xdotool search --onlyvisible --name "^$caption\$" | head -n 1)
  [ -n "$frame" ] || fail "no frame titled $caption"
  xdotool windowfocus --sync "$dialog" || true
  xdotool key Escape
  # The question carries the program's name as the frame does.
  wait_for_windows "$caption" 2 20
  question=$(xdotool search --onlyvisible --name "^$caption\$" | grep -vx "$frame")
  xdotool windowfocus --sync "$question" || true
}

start_kelm
cancel_the_start_up_dialog
xdotool key Return  # No is the default
wait_for_windows "$caption" 1 20
# The layer's own commands still work: Help > About opens its box, Return closes it.
menu_keys h a
wait_for_windows "$caption" 2 20
kill -0 "$kelm_pid" 2>/dev/null || fail "answering No ended the program"
xdotool key Return
wait_for_windows "$caption" 1 20
menu_keys f x
for _ in $(seq 200); do kill -0 "$kelm_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$kelm_pid" 2>/dev/null && fail "File > Exit did not end the program"
wait "$kelm_pid" || fail "File > Exit ended the program with a failure"

start_kelm
cancel_the_start_up_dialog
xdotool key alt+y
for _ in $(seq 200); do kill -0 "$kelm_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$kelm_pid" 2>/dev/null && fail "answering Yes left the program running"
echo "1 passed, 0 failed"
