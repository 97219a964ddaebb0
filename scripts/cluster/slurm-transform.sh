#!/usr/bin/env bash
#SBATCH --job-name=marevert-transform
#SBATCH --cpus-per-task=1
# One task of a batch's Slurm job array (slurm-submit.sh submits it): task k transforms
# the k-th chunk of the batch's files, as a single `marevert-cli transform` run, writing
# its log to RESULTS/k.log and its result to RESULTS/k.json for the summarize job.
#
#   sbatch --array=1-RUNS slurm-transform.sh RESULTS CHUNK CLI TRANSFORM-OPTION...
#
# RESULTS/files holds the batch's files (absolute paths, each ended by a NUL byte);
# CHUNK is the number of files per task, CLI the marevert-cli to run. The run uses the
# task's CPUs (--cpus-per-task) for the files of its chunk. scancel stops the run as
# Ctrl-C does: the running files are cancelled and the result still written.
set -euo pipefail
results=$1 chunk=$2 cli=$3
shift 3
task=${SLURM_ARRAY_TASK_ID:?run as a task of a job array (sbatch --array)}
mapfile -d '' -t files <"$results/files"
first=$(((task - 1) * chunk))
exec "$cli" transform "$@" --jobs "${SLURM_CPUS_PER_TASK:-1}" --log "$results/$task.log" \
  --result-json "$results/$task.json" "${files[@]:first:chunk}"
