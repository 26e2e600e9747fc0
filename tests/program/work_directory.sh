# Sourced by the program tests: a work directory of their own, and the processes they start
# (their pids in pids); on exit the processes are stopped and the directory removed. A failure
# is counted and the test goes on, to end with [ "$failures" -eq 0 ] || exit 1.
work=$(mktemp -d)
# KELM keeps recent projects and its layout in the user's settings: never the real user's here.
export XDG_CONFIG_HOME=$work/config
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Waits, up to 30 s, until the process has gone quiet: its CPU time stands still for half a
# second, so whatever it was going to do about its start-up has been done. False once it ended
# (a child that ended stays a zombie until waited for).
cpu_time() { awk '$3 != "Z" { print $14 + $15; found = 1 } END { exit !found }' "/proc/$1/stat" 2>/dev/null; }
quiet() {  # pid
  local previous current
  current=$(cpu_time "$1") || return 1
  for _ in $(seq 60); do
    previous=$current
    sleep 0.5
    current=$(cpu_time "$1") || return 1
    [ "$current" = "$previous" ] && return 0
  done
  return 0
}
