#!/usr/bin/env bash
# Three starts in a row under openbox: each frame stands where the one before stood, whole on
# the screen, and the place kept for the next start (the frame's normal area, taken once it is
# not maximised) neither creeps by the window manager's title bar nor leaves the screen.
set -euo pipefail
kelm=$1
source "$(dirname "$0")/xvfb_session.sh"
home_with_copies "$2" projA
start_openbox
ended() { ! kill -0 "$kelm_pid" 2>/dev/null; }
# Once the window manager has put the frame where it goes: two looks agree.
frame_area() { xwininfo -id "$frame" | awk -F: '/Absolute upper-left [XY]|Width|Height/ { printf "%d ", $2 }'; }
for run in 1 2 3; do
  log=$work/log$run
  start_kelm "$HOME/projA/geom.cod"
  wait_for_line "File KLPLT.RES loaded" 60
  wait_for_first_idle_pass
  shown=$(settled frame_area)
  read -r _ sy _ sh <<<"$shown"
  (( sy >= 0 && sy + sh <= height )) || fail "start $run: the frame at y $sy, $sh high, leaves the screen"
  xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 3 )) click 1 key ctrl+c
  eventually 20 ended || fail "Ctrl+C in a view did not end KELM at start $run"
  kept=$(sed -nE 's/^normal=@Rect\(([-0-9 ]+)\)$/\1/p' "$XDG_CONFIG_HOME/KELM/KELM.conf")
  read -r _ ky _ kh <<<"$kept"
  (( ky >= 0 && ky + kh <= height )) || fail "start $run kept the frame's place at y $ky, $kh high: off the screen"
  [ "$shown$kept" = "${first:=$shown$kept}" ] || fail "start $run: frame and kept place $shown$kept, at the first $first"
done
echo "frame over three starts: ok"
