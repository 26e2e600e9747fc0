#!/usr/bin/env bash
# Build net and Solve from the Run menu in a virtual display, on a copy of the example: the
# Output log reports both, the Beam view then shows the new outline and equipotential lines,
# and a geom.cod or klinput.dat with an error is reported by file, line and column with no file
# changed.
set -euo pipefail
kelm=$1
example=$2

source "$(dirname "$0")/xvfb_session.sh"
project=$work/gun
cp -r "$example" "$project"
# The example holds what Build net and Solve write: take it away, so that both have to make it.
rm "$project/geom.dat" "$project/pot.dat"
start_kelm "$project/geom.cod"
wait_for_line "File KLPLT.RES loaded" 60
wait_for_first_idle_pass

# Pixels of one colour in the Beam view, the upper half of the frame's client area.
beam_pixels() {  # "r,g,b"
  import -window root -crop "${WIDTH}x$(( (HEIGHT - top) / 2 ))+0+$top" -depth 8 -format %c histogram:info:- \
    | awk -v colour="($1)" '{ gsub(/ /, "", $2) } $2 == colour { sub(/:/, "", $1); n = $1 } END { print n + 0 }'
}
navy=0,0,128 purple=160,0,160
# The project's files; the solve's record of a failure is bookkeeping, not a result.
files() { (cd "$project" && md5sum -- * | grep -v ' solve-record\.csv$'); }
loads() { grep -c -F "File GEOM.DAT loaded" "$log" || true; }
run_menu() { menu_keys r "$@"; }
loaded_more_than() { [ "$(loads)" -gt "$1" ]; }
reloaded_after() {  # loads before the command: the views are drawn again once it is served
  eventually 60 loaded_more_than "$1" || fail "the project was not loaded again"
  wait_for_first_idle_pass
}

outline_before=$(settled beam_pixels "$navy")
original=$(files)
before=$(loads)
run_menu n
wait_for_line " geom.dat written: " 60
reloaded_after "$before"
grep -qF " Build net" "$log" || fail "no Build net heading"
grep -qF " Mesh: 41 x 121 nodes (r x z), cell 0.5 mm (2.0000 nodes per mm)" "$log" || fail "no mesh line"
grep -qF " Electrodes: 2 (cathode 0 V, anode 10000 V)" "$log" || fail "no electrodes line"
cmp -s "$project/geom.cod" "$example/geom.cod" || fail "Build net changed geom.cod"
cmp -s "$project/geom.dat" "$example/geom.dat" || fail "Build net wrote another geom.dat than the example's"
outline_after=$(settled beam_pixels "$navy")
[ "$outline_after" -gt 0 ] && [ "$outline_after" != "$outline_before" ] \
  || fail "the Beam view's outline did not change ($outline_before navy pixels, then $outline_after)"

lines_before=$(settled beam_pixels "$purple")
before=$(loads)
run_menu s
wait_for_line " pot.dat written: 9 equipotential levels" 60
reloaded_after "$before"
grep -qF " Vacuum field of 4961 nodes solved in " "$log" || fail "no solve time"
[ -s "$project/potmap.dat" ] || fail "Solve wrote no potmap.dat"
[ -s "$project/pot.dat" ] || fail "Solve wrote no pot.dat"
cmp -s "$project/klinput.dat" "$example/klinput.dat" || fail "Solve changed klinput.dat"
lines_after=$(settled beam_pixels "$purple")
[ "$lines_after" -gt 0 ] && [ "$lines_after" != "$lines_before" ] \
  || fail "the Beam view's equipotential lines did not change ($lines_before purple pixels, then $lines_after)"

# refused KEY LINE FILE: the command of KEY says LINE of the faulty FILE and writes nothing.
refused() {
  local written before
  written=$(files)
  before=$(loads)
  run_menu "$1"
  wait_for_line "$2" 60
  reloaded_after "$before"
  [ "$(files)" = "$written" ] || fail "a $3 with an error changed the project's files"
}

# An arc of radius 0 on line 15: one line naming it, nothing written.
sed -i '15s/.*/  arc 4 5 radius 0 cw/' "$project/geom.cod"
refused n "geom.cod:15:18: arc radius must be positive; nothing built" geom.cod
[ "$(files)" != "$original" ] || fail "the project's files never changed"

# Solve with a klinput.dat it cannot read: one line naming the place, nothing written either.
cp "$example/geom.cod" "$project/geom.cod"
echo "levels 1 x" >"$project/klinput.dat"
refused s "klinput.dat:1:10: level must be a number, found 'x'; nothing solved" klinput.dat
echo "1 passed, 0 failed"
