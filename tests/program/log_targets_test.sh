#!/usr/bin/env bash
# KELM_LOG naming what cannot take a log, started as a user would: a FIFO nobody reads, a FIFO
# whose reader leaves, standard error into `head`, a link to /dev/full, a directory, a missing
# directory. KELM says so once on standard error and goes on; a relative name is taken from
# where KELM started.
set -uo pipefail
kelm=$1
example=$2  # a project directory

source "$(dirname "$0")/work_directory.sh"

mkdir -p "$work/project" "$work/start/a directory"
cp "$example"/* "$work/project/"
mkfifo "$work/start/unread.fifo" "$work/start/left.fifo"
ln -s /dev/full "$work/start/full.log"

# waits up to 30 s for grep pattern $1 in file $2
wait_for() {
  for _ in $(seq 300); do
    grep -q -- "$1" "$2" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# starts kelm from $work/start with KELM_LOG=$1 and standard error into $work/err
start_kelm() {
  (cd "$work/start" && KELM_LOG=$1 exec "$kelm" -platform offscreen "$work/project/geom.cod" >/dev/null 2>"$work/err") &
  pids+=($!)
}

# the log, what KELM must say about it on standard error
while IFS='|' read -r log says; do
  # A reader that opens the FIFO and leaves at once, before KELM's first record.
  [ "$log" = left.fifo ] && { (exec 3<"$work/start/left.fifo") & }
  : >"$work/err"
  start_kelm "$log"
  pid=${pids[-1]}
  wait_for "KELM_LOG=.*$log $says" "$work/err" || fail "KELM_LOG=$log: no '$says' on standard error: $(cat "$work/err")"
  quiet "$pid" || fail "KELM_LOG=$log ended KELM"
  [ "$(grep -c 'KELM_LOG=' "$work/err")" -eq 1 ] || fail "KELM_LOG=$log told more than once: $(cat "$work/err")"
  kill "$pid" 2>/dev/null
done <<'CASES'
unread.fifo|cannot be opened (a FIFO that nobody reads)
left.fifo|cannot be written (Broken pipe); KELM goes on without it
full.log|cannot be written (No space left on device); KELM goes on without it
a directory|cannot be opened (Is a directory)
no/such/dir/kelm.log|cannot be opened (No such file or directory)
CASES

# Standard error read by `head`, which leaves after two lines: KELM goes on past its end.
(cd "$work/start" && KELM_LOG=- exec "$kelm" -platform offscreen "$work/project/geom.cod" 2>&1 >/dev/null) \
  | head -n 2 >"$work/head" &
for _ in $(seq 300); do
  pid=$(pgrep -n -f -- "offscreen $work/project/geom.cod") && break
  sleep 0.1
done
pids+=("$pid")
for _ in $(seq 300); do
  [ "$(wc -l <"$work/head")" -ge 2 ] && break
  sleep 0.1
done
quiet "$pid" || fail "KELM_LOG=- into head ended KELM"
kill "$pid" 2>/dev/null

# A relative name: beside where KELM started, not in the project directory made current.
start_kelm relative.log
wait_for "File KLPLT.RES loaded" "$work/start/relative.log" || fail "KELM_LOG=relative.log not written in the start directory"
[ -e "$work/project/relative.log" ] && fail "KELM_LOG=relative.log written in the project directory"
kill "${pids[-1]}" 2>/dev/null

[ "$failures" -eq 0 ] || exit 1
echo "log targets: all passed"
