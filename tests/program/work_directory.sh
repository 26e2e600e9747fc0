# Sourced by the program tests: a work directory of their own, and the processes they start
# (their pids in pids); on exit the processes are stopped and the directory removed.
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
