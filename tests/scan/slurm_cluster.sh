#!/usr/bin/env bash
# A single-node Slurm cluster of the test's own, sourced by the tests that submit to one: munged,
# slurmctld and slurmd configured in a temporary directory $work, 2 CPUs. Every daemon started is
# stopped again at exit and every wait is bounded; a cluster that cannot start fails the test.
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
