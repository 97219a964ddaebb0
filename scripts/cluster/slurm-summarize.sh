#!/usr/bin/env bash
#SBATCH --job-name=marevert-summarize
# The job that ends a batch's Slurm job array (slurm-submit.sh submits it to run after
# every task, whatever became of them): `marevert-cli summarize` of the tasks' results
# in order, which prints the summary and writes the Log.txt a single transform run over
# the same files writes. A task that left no result fails it.
#
#   sbatch --dependency=afterany:ARRAY_JOB slurm-summarize.sh RESULTS RUNS CLI [--log PATH]
set -euo pipefail
results=$1 runs=$2 cli=$3
shift 3
result_files=()
for ((k = 1; k <= runs; ++k)); do result_files+=("$results/$k.json"); done
exec "$cli" summarize "${result_files[@]}" "$@"
