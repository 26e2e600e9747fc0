#!/usr/bin/env bash
# KELM on Wayland without any X server: under weston's headless back end it starts, loads the
# example and draws its views, as a screenshot of the compositor shows. The headless back end
# takes no pointer or key events from outside (that needs weston's own test plugin, which is not
# installed), so clicks are left to the tests under X.
set -euo pipefail
kelm=$1
example=$2

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  for f in weston.out kelm.out log; do [ -f "$work/$f" ] && sed "s/^/  $f: /" "$work/$f" | tail -n 20 >&2; done
  exit 1
}

# Wayland wants a runtime directory of the user's own, closed to others (also as root in CI);
# no X server must be within reach, or Qt could fall back to it.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset DISPLAY
export WAYLAND_DISPLAY=kelm-test-$$

weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --width=1280 --height=800 \
  --idle-time=0 --debug >"$work/weston.out" 2>&1 &
weston_pid=$!
pids+=("$weston_pid")
for _ in $(seq 150); do
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
  kill -0 "$weston_pid" 2>/dev/null || fail "weston ended before it took connections"
  sleep 0.2
done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not take connections within 30 s"

cp -r "$example" "$work/project"
KELM_LOG=$work/log QT_QPA_PLATFORM=wayland "$kelm" "$work/project/geom.cod" >"$work/kelm.out" 2>&1 &
kelm_pid=$!
pids+=("$kelm_pid")

for _ in $(seq 600); do
  grep -qF "File KLPLT.RES loaded" "$work/log" 2>/dev/null && break
  kill -0 "$kelm_pid" 2>/dev/null || fail "KELM ended on Wayland"
  sleep 0.1
done
grep -qF "File KLPLT.RES loaded" "$work/log" 2>/dev/null || fail "KELM did not load the example within 60 s"

# The views' own colours: trajectories green, equipotentials purple, on white surfaces.
count() { convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:int(mean*w*h+0.5)]' info:; }
drawn() {
  rm -f "$work"/shots/*.png
  mkdir -p "$work/shots"
  (cd "$work/shots" && timeout 10 weston-screenshooter >/dev/null 2>&1) || return 1
  shot=$(ls "$work"/shots/*.png 2>/dev/null | head -n 1)
  [ -n "$shot" ] || return 1
  trajectories=$(count "$shot" "rgb(0,192,0)")
  equipotentials=$(count "$shot" "rgb(160,0,160)")
  surfaces=$(count "$shot" "rgb(255,255,255)")
  [ "$trajectories" -gt 500 ] && [ "$equipotentials" -gt 200 ] && [ "$surfaces" -gt 100000 ]
}
for _ in $(seq 30); do
  drawn && break
  kill -0 "$kelm_pid" 2>/dev/null || fail "KELM ended on Wayland"
  sleep 1
done
drawn || fail "no drawn views on the Wayland screen: ${trajectories:-?} trajectory, ${equipotentials:-?} equipotential, ${surfaces:-?} white pixels"

grep -qiE "xcb|could not (load|connect)|failed to create" "$work/kelm.out" && fail "KELM reached for another platform"
kill -0 "$kelm_pid" 2>/dev/null || fail "KELM ended on Wayland"
echo "KELM drew its views on Wayland ($trajectories trajectory, $equipotentials equipotential pixels)"
