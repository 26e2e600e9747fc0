#!/usr/bin/env bash
# The example scan submitted with --slurm to a single-node Slurm cluster of the test's own
# (munged, slurmctld and slurmd configured in a temporary directory, 2 CPUs): the job array and
# the merge after it must give the summary.csv that --jobs 2 gives, row for row, into a folder
# whose name holds what sbatch's directives treat specially (a blank, quotes, # and %). Every daemon
# started is stopped again and every wait is bounded; a cluster that cannot start fails the test.
set -euo pipefail
scan=$(realpath "$1")
example=$(realpath "$2")
sweep=${3:-}

fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d /tmp/kelm-slurm-XXXXXX)
pids=()
munge_pid=
stop_all() {
  local pid
  [ -n "$munge_pid" ] && pids+=("$munge_pid")
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop_all EXIT

cluster_fail() { fail "the Slurm cluster cannot start: $*"; }
[ "$(id -u)" -eq 0 ] || cluster_fail "it needs root (munged as the munge user, slurmd as root)"
for program in munged slurmctld slurmd sbatch squeue sinfo; do
  command -v "$program" >/dev/null || cluster_fail "$program is not installed (Debian packages slurm-wlm and munge)"
done
id munge >/dev/null 2>&1 || cluster_fail "there is no munge user (Debian package munge)"
if [ ! -s /etc/munge/munge.key ]; then
  mkdir -p /etc/munge
  dd if=/dev/urandom of=/etc/munge/munge.key bs=1024 count=1 status=none
  chown munge: /etc/munge/munge.key
  chmod 400 /etc/munge/munge.key
fi

# munged checks that no one else can write where its socket and files are, and that every
# user can reach the socket.
chmod 755 "$work"
mkdir -p "$work/munge" "$work/socket" "$work/state" "$work/spool"
chown munge: "$work/munge" "$work/socket"
chmod 700 "$work/munge"
chmod 755 "$work/socket"
socket=$work/socket/munge.socket
runuser -u munge -- munged --socket="$socket" --pid-file="$work/munge/munged.pid" \
  --log-file="$work/munge/munged.log" --seed-file="$work/munge/munged.seed" \
  || cluster_fail "munged did not start: $(cat "$work/munge/munged.log" 2>/dev/null)"
for _ in $(seq 50); do
  [ -s "$work/munge/munged.pid" ] && break
  sleep 0.1
done
munge_pid=$(cat "$work/munge/munged.pid" 2>/dev/null) || cluster_fail "munged wrote no pid file"

port=$((20000 + $$ % 20000))
export SLURM_CONF=$work/slurm.conf
cat >"$SLURM_CONF" <<CONF
ClusterName=kelmtest
SlurmctldHost=localhost
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$socket
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
JobCompType=jobcomp/none
MpiDefault=none
ReturnToService=2
NodeName=localhost CPUs=2 State=UNKNOWN
PartitionName=scan Nodes=localhost Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -D -i -f "$SLURM_CONF" >"$work/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" >"$work/slurmd.out" 2>&1 &
pids+=($!)
state=
for _ in $(seq 100); do
  state=$(sinfo -h -o %T 2>/dev/null || true)
  [ "$state" = idle ] && break
  sleep 0.2
done
[ "$state" = idle ] || cluster_fail "the node is '$state' after 20 s: $(tail -n 5 "$work/slurmctld.log" "$work/slurmd.log" 2>&1)"

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
