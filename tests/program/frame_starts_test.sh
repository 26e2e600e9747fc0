#!/usr/bin/env bash
# Three starts in a row under openbox: each frame stands where the one before stood, whole on
# the screen with its status bar, and the place kept for the next start (the frame's normal
# area, which it takes once not maximised) neither creeps by the window manager's title bar nor
# leaves the screen.
set -euo pipefail
kelm=$1
example=$2

source "$(dirname "$0")/xvfb_session.sh"
home_with_copies "$example" projA

openbox --sm-disable >"$work/openbox.out" 2>&1 &
pids+=($!)
wm_running() { [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]]; }
eventually 30 wm_running || fail "openbox did not start: $(tail -n 5 "$work/openbox.out")"

ended() { ! kill -0 "$kelm_pid" 2>/dev/null; }
# The frame's client area on the root window, as the X server has it.
client_area() {
  xwininfo -id "$frame" | awk -F: '/Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
    /Width/ { w = $2 } /Height/ { h = $2 } END { print x + 0, y + 0, w + 0, h + 0 }'
}
places=()
for run in 1 2 3; do
  log=$work/log$run
  start_kelm "$HOME/projA/geom.cod"
  wait_for_line "File KLPLT.RES loaded" 60
  wait_for_first_idle_pass
  read -r cx cy cw ch < <(client_area)
  (( cy >= 0 && cy + ch <= height )) || fail "start $run: the frame at y $cy, $ch high, leaves the screen"
  places+=("$cx $cy $cw $ch")
  [ "${places[0]}" = "${places[-1]}" ] || fail "start $run put the frame at ${places[-1]}, the first at ${places[0]}"
  xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 3 )) click 1
  xdotool key ctrl+c
  eventually 20 ended || fail "Ctrl+C in a view did not end KELM at start $run"
  kept=$(sed -nE 's/^normal=@Rect\(([-0-9 ]+)\)$/\1/p' "$XDG_CONFIG_HOME/KELM/KELM.conf")
  read -r kx ky kw kh <<<"$kept"
  (( ky >= 0 && ky + kh <= height )) || fail "start $run kept the frame's place at y $ky, $kh high: off the screen"
  [ "$run" = 1 ] && first_kept=$kept
  [ "$kept" = "$first_kept" ] || fail "start $run kept the frame's place as $kept, the first as $first_kept"
done
echo "frame over three starts: ok"
