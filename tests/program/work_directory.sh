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
