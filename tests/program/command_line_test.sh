#!/usr/bin/env bash
# kelm's command line as a user types it: --help and --version answer without a display, an
# unknown option is refused with one line and exit code 2, the toolkit's own options and "--"
# leave argument 1 to the project.
set -uo pipefail
kelm=$1
example=$2  # a project directory

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

# run_headless ARGS... : no display of any kind; sets rc, out, err
run_headless() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$kelm" "$@" >"$work/out" 2>"$work/err"
  rc=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

run_headless --help
[ "$rc" -eq 0 ] || fail "--help exits $rc"
grep -q '^Usage: kelm ' <<<"$out" || fail "--help prints no usage line"
help_file=$(sed -n 's/^Help file: //p' <<<"$out")
[ -f "$help_file" ] || fail "--help names the help file '$help_file', which does not exist"
[ -z "$err" ] || fail "--help writes to standard error: $err"

run_headless --version
[ "$rc" -eq 0 ] && grep -Eq '^kelm [0-9]+\.[0-9]+' <<<"$out" || fail "--version: exit $rc, output '$out'"

# Refusals: exit 2, exactly one line on standard error naming the option, nothing on stdout.
for args in "--bogus" "$example/geom.cod --verbose" "--=x"; do
  # shellcheck disable=SC2086
  run_headless $args
  option=${args##* }
  if [ "$rc" -ne 2 ] || [ -n "$out" ] || [ "$(wc -l <<<"$err")" -ne 1 ] || ! grep -qF -- "$option" <<<"$err"; then
    fail "kelm $args: exit $rc, stdout '$out', stderr '$err'"
  fi
done

env -u DISPLAY "$kelm" --version >/dev/full 2>/dev/null
[ $? -eq 1 ] || fail "--version into a full device does not report the failure"

# With Qt's offscreen platform: which directory becomes the project.
# loads_from DIRECTORY ARGS... : kelm started from $work reports loading DIRECTORY
loads_from() {
  local expected=$1 log
  shift
  log=$work/log.$RANDOM
  (cd "$work" && KELM_LOG=$log exec "$kelm" "$@" >/dev/null 2>&1) &
  pids+=($!)
  for _ in $(seq 300); do
    grep -q "Loading project from" "$log" 2>/dev/null && break
    sleep 0.1
  done
  kill "${pids[-1]}" 2>/dev/null
  local line
  line=$(grep -m1 "Loading project from" "$log" 2>/dev/null)
  [ "$line" = " Loading project from $expected" ] || fail "kelm $*: expected the project $expected, got '$line'"
}

mkdir -p "$work/-odd" "$work/plain"
cp "$example"/* "$work/-odd/"
cp "$example"/* "$work/plain/"
loads_from "$work/plain" -platform offscreen plain/geom.cod
loads_from "$work/plain" plain/geom.cod -style fusion -platform offscreen
loads_from "$work/-odd" -platform offscreen -- -odd/geom.cod
loads_from "$work/plain" -platform offscreen plain  # the directory itself, no trailing /

(cd "$work" && "$kelm" -platform offscreen -odd/geom.cod >"$work/out" 2>"$work/err")
rc=$?
[ "$rc" -eq 2 ] && grep -q -- "-odd/geom.cod" "$work/err" \
  || fail "a path beginning with - before --: exit $rc, stderr '$(cat "$work/err")'"

[ "$failures" -eq 0 ] || exit 1
echo "command line: all passed"
