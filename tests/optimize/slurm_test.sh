#!/usr/bin/env bash
# The example optimization, a few evaluations of it, run with --slurm on a single-node Slurm
# cluster of the test's own (slurm_cluster.sh) into a folder whose name holds what sbatch's
# directives treat specially: its history.csv must be the one --jobs 1 gives, apart from times.
set -euo pipefail
optimize=$(realpath "$1")
example=$(realpath "$2")

source "$(dirname "$0")/../scan/slurm_cluster.sh"

evaluations=4
outdir="$work/slurm optimize \"it's\" #1 50%A"
timeout 300 "$optimize" --slurm --max-evaluations $evaluations "$example/template" "$example/problem" "$outdir" \
  2>"$work/slurm.err" || [ $? -eq 3 ] || fail "kelm-optimize --slurm failed: $(tail -n 20 "$work/slurm.err")"
timeout 300 "$optimize" --jobs 1 --max-evaluations $evaluations "$example/template" "$example/problem" "$work/local" \
  2>"$work/local.err" || [ $? -eq 3 ] || fail "kelm-optimize --jobs 1 failed: $(tail -n 20 "$work/local.err")"
compgen -G "$outdir/slurm/*.out" >/dev/null || fail "no Slurm task wrote its output in $outdir/slurm: $(ls "$outdir" 2>&1)"

# Every column but the time, row for row.
without_time() {
  awk -F, 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i == "time [s]") t = i } { $t = ""; print }' OFS=, "$1"
}
diff <(without_time "$work/local/history.csv") <(without_time "$outdir/history.csv") >"$work/diff" \
  || fail "history.csv through Slurm differs from --jobs 1: $(head -n 20 "$work/diff")"
rows=$(($(wc -l <"$outdir/history.csv") - 1))
[ "$rows" -eq $evaluations ] || fail "$rows evaluations in history.csv, not $evaluations"
echo "$rows evaluations through Slurm match --jobs 1"
