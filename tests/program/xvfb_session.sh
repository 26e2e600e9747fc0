# Sourced by the whole-program tests: a virtual display of its own, a work directory, and
# helpers to wait for KELM and to look at the screen. Everything started is stopped on exit.
source "$(dirname "${BASH_SOURCE[0]}")/work_directory.sh"
log=$work/log
# Here a failure ends the test at once, with what KELM logged.
fail() { echo "FAIL: $*" >&2; [ -f "$log" ] && sed 's/^/  log: /' "$log" >&2; exit 1; }

width=1600 height=1000
# Xvfb picks a free display itself and writes its number once it accepts connections, so that
# tests running side by side never share one or race for the same number.
exec {display_fd}>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 ${width}x${height}x24 -nolisten tcp >"$work/xvfb.out" 2>&1 &
pids+=($!)
exec {display_fd}>&-
for _ in $(seq 300); do grep -q '^[0-9][0-9]*$' "$work/display" && break; sleep 0.1; done
grep -q '^[0-9][0-9]*$' "$work/display" || fail "Xvfb did not start within 30 s: $(tail -n 5 "$work/xvfb.out")"
export DISPLAY=":$(head -n 1 "$work/display")"

home_with_copies() {  # project, names...: a home of the test's own (where the dialogs start) with copies
  export HOME=$work/home
  mkdir -p "$HOME"
  local project=$1 name
  shift
  for name in "$@"; do cp -r "$project" "$HOME/$name"; done
}

start_openbox() {  # a window manager on the display, once it has taken over
  openbox --sm-disable >"$work/openbox.out" 2>&1 &
  pids+=($!)
  wm_running() { [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]]; }
  eventually 30 wm_running || fail "openbox did not start: $(tail -n 5 "$work/openbox.out")"
}

start_kelm() {  # arguments for KELM; its pid ends up in kelm_pid
  KELM_LOG=$log QT_QPA_PLATFORM=xcb "$kelm" "$@" >"$work/stdout" 2>&1 &
  kelm_pid=$!
  pids+=("$kelm_pid")
}

eventually() {  # seconds, command...: true once the command succeeds, polled for that long
  local seconds=$1
  shift
  for _ in $(seq $(( seconds * 5 ))); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

wait_for_line() {  # text, seconds
  for _ in $(seq $(( $2 * 10 ))); do
    grep -qF -- "$1" "$log" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "no line \"$1\" within $2 s; the program said: $(tail -n 40 "$work/stdout" 2>/dev/null)"
}

windows_named() {  # exact title -> how many windows carry it
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l
}

wait_for_windows() {  # exact title, count, seconds
  for _ in $(seq $(( $3 * 10 ))); do
    [ "$(windows_named "$1")" -eq "$2" ] && return 0
    sleep 0.1
  done
  fail "expected $2 window(s) titled \"$1\" within $3 s, found $(windows_named "$1")"
}

pixel() {  # x y -> "r,g,b"
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 | sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}
region_sum() {  # x y w h -> checksum of the pixels
  import -window root -crop "${3}x${4}+$1+$2" -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

# KELM's frame, maximised: "Beam" on top in the upper half of its client area and "Phase plane"
# in the lower half; the top of the client area is the first white row.
first_white_row() {
  import -window root -crop "1x111+$(( WIDTH / 3 ))+10" -depth 8 txt:- | sed -n '2,$p' \
    | sed -E 's/^[0-9]+,([0-9]+): \(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4/' \
    | awk '$2 == 255 && $3 == 255 && $4 == 255 { print $1 + 10; exit }'
}
plane() { region_sum 0 "$plane_y" "$WIDTH" 120; }
screen() { region_sum 0 0 "$WIDTH" "$HEIGHT"; }
settled() {  # command -> its output once two looks 0.3 s apart agree: a drawing has ended
  local previous current
  current=$("$@")
  for _ in $(seq 100); do
    previous=$current
    sleep 0.3
    current=$("$@")
    [ "$current" = "$previous" ] && break
  done
  echo "$current"
}
focus_frame() { xdotool windowfocus --sync "$frame" || true; }

layout_drawn() {  # the views stand in their places and the phase plane is drawn
  settled screen >/dev/null
  top=$(first_white_row)
  [ -n "$top" ] || return 1
  beam_y=$(( top + 40 ))
  plane_y=$(( top + (HEIGHT - top) / 2 + 40 ))
  [ "$(plane)" != "$blank_plane" ]
}

# The driver enables the busy set of commands, then places every window and draws the phase
# plane in its first idle pass; until the screen is still, the Output window may yet stand where
# the views will be. Sets frame, the frame's X Y WIDTH HEIGHT, and the rows beam_y and plane_y.
wait_for_first_idle_pass() {
  frame=$(xdotool search --sync --onlyvisible --name '^KELMDEMO: ' | head -n 1)
  [ -n "$frame" ] || fail "no frame titled KELMDEMO"
  focus_frame
  eval "$(xdotool getwindowgeometry --shell "$frame")"
  blank_plane=$(head -c $(( WIDTH * 120 * 3 )) /dev/zero | tr '\0' '\377' | md5sum | cut -d' ' -f1)
  eventually 60 layout_drawn || fail "the views were not laid out and drawn within 60 s"
}

# A drop-down menu is up: a mapped window of KELM's that bypasses the window manager (its
# title is not searchable by name, and a menu built again may not say it is one).
menu_shown() {
  local w
  for w in $(xdotool search --onlyvisible --class '^kelm$' 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}

# Alt+letter on the frame, then the keys, once the menu is up: keys that arrive before it would
# reach the frame instead. On a busy machine the menu may not come: Escape and try again.
menu_keys() {  # letter, keys...
  local letter=$1
  shift
  for _ in 1 2 3; do
    focus_frame
    xdotool key --clearmodifiers "alt+$letter"
    if eventually 10 menu_shown; then
      xdotool key "$@"
      return 0
    fi
    xdotool key Escape Escape
  done
  fail "the menu under Alt+$letter did not open"
}

# The X input focus is in the window (or one of its children).
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# Run > Batch mode, up to its dialog with its letter, which no other item of Run shares. Sets
# batch_dialog.
open_batch_dialog() {
  menu_keys r b
  batch_dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Select KELM projects$' | head -n 1) ||
    fail "Run > Batch mode showed no \"Select KELM projects\""
  eventually 10 has_focus "$batch_dialog" || xdotool windowfocus --sync "$batch_dialog" || true
}

# In the batch dialog, with the focus on its drive box (the home directory, which holds only the
# test's projects): each project by its place in the tree, added with ">"; the focus stays in
# the tree. Focus goes drive box, tree, ">", "<", list, "Clear", "OK"; End and Home select the
# top of the tree (Home alone would not select an item that is already current), Down goes on.
add_projects() {  # places in the tree, from 0
  local place
  xdotool key Tab
  for place in "$@"; do
    xdotool key End Home
    for _ in $(seq "$place"); do xdotool key Down; done
    xdotool key Tab space shift+Tab
  done
}
press_batch_ok() { xdotool key Tab Tab Tab Tab Tab space; }
