#!/usr/bin/env bash
# A single-node Slurm cluster on the loopback, for trying and testing the Slurm scripts
# on one machine: its own munge daemon and key, a controller and a node daemon, all
# with their files in STATE_DIR. Made for a machine or container without systemd or
# cgroups: processes are tracked through /proc (proctrack/linuxproc), tasks are not
# bound (task/none), nothing is accounted.
#
#   local-slurm.sh start STATE_DIR   start it (first stopping one left in STATE_DIR)
#   local-slurm.sh stop STATE_DIR    stop it
#
# While it runs, Slurm's commands reach it with SLURM_CONF=STATE_DIR/slurm.conf. The
# controller listens on the first free port from MAREVERT_SLURM_PORT (default 16817),
# the node daemon on the next. The cluster's user is the one who starts it; jobs run as
# that user. Needs munge and slurm-wlm (scripts/setup.sh installs them).
set -euo pipefail

[ $# -eq 2 ] && { [ "$1" = start ] || [ "$1" = stop ]; } || {
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
}
action=$1
mkdir -p "$2"
state=$(cd "$2" && pwd)
export SLURM_CONF=$state/slurm.conf

# Waits up to 30 s for a command to succeed.
await() {
  for _ in $(seq 300); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
running() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }
gone() { ! running "$1"; }

stop() {
  if running "$state/slurmctld.pid" || running "$state/slurmd.pid"; then
    scontrol shutdown >/dev/null 2>&1 || true
    await gone "$state/slurmctld.pid" || kill "$(cat "$state/slurmctld.pid")" 2>/dev/null || true
    await gone "$state/slurmd.pid" || kill "$(cat "$state/slurmd.pid")" 2>/dev/null || true
  fi
  if running "$state/munged.pid"; then
    munged --stop --socket="$state/munge.socket" >/dev/null 2>&1 || kill "$(cat "$state/munged.pid")" || true
    await gone "$state/munged.pid" || true
  fi
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

for tool in munged slurmctld slurmd sinfo; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/setup.sh installs munge and slurm-wlm)" >&2; exit 1; }
done
stop
# A Unix socket's path holds at most 107 bytes.
[ ${#state} -le 90 ] || { echo "STATE_DIR's path is too long for munge's socket: $state" >&2; exit 1; }
rm -rf "$state/spool" "$state/saved" "$state"/*.log
mkdir -p "$state/spool" "$state/saved"
# munged wants every user able to reach its socket's folder, and a key only it reads.
chmod 755 "$state"
if [ ! -f "$state/munge.key" ]; then
  dd if=/dev/urandom of="$state/munge.key" bs=1024 count=1 status=none
  chmod 400 "$state/munge.key"
fi
munged --key-file="$state/munge.key" --socket="$state/munge.socket" --pid-file="$state/munged.pid" \
  --log-file="$state/munged.log" --seed-file="$state/munged.seed"

# The first two free ports from the one asked for.
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
port=${MAREVERT_SLURM_PORT:-16817}
while listening "$port" || listening $((port + 1)); do port=$((port + 2)); done

host=$(hostname -s)
user=$(id -un)
cat >"$SLURM_CONF" <<CONF
# Made by local-slurm.sh: one node on the loopback.
ClusterName=marevert-local
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
AuthInfo=socket=$state/munge.socket
CredType=cred/munge
StateSaveLocation=$state/saved
SlurmdSpoolDir=$state/spool
SlurmctldPidFile=$state/slurmctld.pid
SlurmdPidFile=$state/slurmd.pid
SlurmctldLogFile=$state/slurmctld.log
SlurmdLogFile=$state/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerType=sched/builtin
# Start array tasks as soon as a CPU is free, not a few seconds later.
SchedulerParameters=batch_sched_delay=0
MpiDefault=none
SwitchType=switch/none
ReturnToService=2
KillWait=10
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=local Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF

slurmctld
slurmd
if ! await sh -c 'sinfo --noheader --format=%T | grep -qx idle'; then
  echo "The node did not come up; see $state/slurmctld.log and $state/slurmd.log" >&2
  stop
  exit 1
fi
echo "Slurm is up: export SLURM_CONF=$SLURM_CONF"
