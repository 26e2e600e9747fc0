#!/usr/bin/env bash
# The example scan submitted with --slurm to a single-node Slurm cluster of the test's own
# (slurm_cluster.sh): the job array and the merge after it must give the summary.csv that
# --jobs 2 gives, row for row, into a folder whose name holds what sbatch's directives treat
# specially (a blank, quotes, # and %).
set -euo pipefail
scan=$(realpath "$1")
example=$(realpath "$2")
sweep=${3:-}

source "$(dirname "$0")/slurm_cluster.sh"

# The example's points and one that cannot be a gun: it fails, and the merge still follows.
if [ -z "$sweep" ]; then
  sweep=$work/sweep.csv
  { cat "$example/sweep.csv"; echo "70,10000"; } >"$sweep"
fi

# The scan through Slurm, timed from submission to the merged table.
scan_dir="$work/slurm scan \"it's\" #1 50%A"
start=$(date +%s.%N)
ids=$("$scan" --slurm "$example/template" "$sweep" "$scan_dir" 2>"$work/submit.err") \
  || fail "kelm-scan --slurm failed: $(cat "$work/submit.err")"
read -r array merge <<<"$ids"
[ -n "${merge:-}" ] || fail "kelm-scan --slurm printed no job ids: '$ids'"
for _ in $(seq 600); do
  [ -z "$(squeue -h -j "$array,$merge" 2>/dev/null)" ] && break
  sleep 0.5
done
[ -z "$(squeue -h -j "$array,$merge" 2>/dev/null)" ] && [ -s "$scan_dir/summary.csv" ] \
  || fail "the merge job did not write summary.csv within 300 s: $(squeue 2>&1; cat "$scan_dir"/slurm/*.out 2>&1 | tail -n 20)"
compgen -G "$scan_dir/slurm/task-${array}_1.out" >/dev/null \
  || fail "the tasks' output is not in $scan_dir/slurm: $(ls "$scan_dir/slurm" "$work" 2>&1)"
slurm_seconds=$(awk "BEGIN { print $(date +%s.%N) - $start }")

start=$(date +%s.%N)
"$scan" --jobs 2 "$example/template" "$sweep" "$work/local-scan" 2>"$work/local.err" || true
local_seconds=$(awk "BEGIN { print $(date +%s.%N) - $start }")
diff "$work/local-scan/summary.csv" "$scan_dir/summary.csv" >"$work/diff" \
  || fail "summary.csv through Slurm differs from --jobs 2: $(head -n 20 "$work/diff")"
[ -s "$work/local-scan/summary.csv" ] || fail "kelm-scan --jobs 2 wrote no summary.csv: $(cat "$work/local.err")"
points=$(($(wc -l <"$scan_dir/manifest.csv") - 1))
failed=$(grep -c ',failed: ' "$scan_dir/summary.csv" || true)
solved=$(grep -c ',solved,' "$scan_dir/summary.csv" || true)
[ "$((solved + failed))" -eq "$points" ] || fail "$solved solved and $failed failed of $points points"
[ -n "${3:-}" ] || [ "$failed" -eq 1 ] || fail "the point that cannot be a gun is not reported failed"
echo "$points points: Slurm $slurm_seconds s from submission to summary.csv, --jobs 2 $local_seconds s"
