#!/usr/bin/env bash
# A batch of survey files through Slurm: a job array of `marevert-cli transform` runs,
# one task per file or per chunk of files (slurm-transform.sh), and a summarize job
# that runs after them (slurm-summarize.sh), whose output is the summary of a single
# run over the same files and which writes that run's Log.txt. The outputs land beside
# their inputs. The files, the results folder, the grid and marevert-cli must be at the
# same paths on every node (a shared folder).
#
#   slurm-submit.sh [OPTION...] TRANSFORM-OPTION... -- FILE...
#
#   --chunk N          files per task (default 1, or as many as keep the array within
#                      the cluster's MaxArraySize)
#   --results DIR      where the tasks' results and logs and the summary go (default: a
#                      new folder marevert-results.XXXXXX in the current folder)
#   --cli PATH         the marevert-cli the nodes run (default: the one on the PATH)
#   --log PATH         passed on to summarize: where Log.txt goes
#   --files-from LIST  read the files from LIST, one per line, after any given
#   --sbatch OPTION    passed on to both sbatch calls (for example --sbatch=--partition=survey);
#                      may be repeated
#   --wait             wait for the summary, print it, and exit with summarize's status
#
# TRANSFORM-OPTION...: the options of marevert-cli transform (--grid, --from, --to or
# --block-shift, --zone, --depths-positive), the same for every task.
# Prints the two job ids and where the summary will be (RESULTS/summary.txt).
set -euo pipefail

. "$(dirname "$0")/batch-common.sh"

here=$(cd "$(dirname "$0")" && pwd)
chunk="" results="" cli="" log="" files_from="" wait=false sbatch_options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --chunk) chunk=${2:?}; shift 2 ;;
    --results) results=${2:?}; shift 2 ;;
    --cli) cli=${2:?}; shift 2 ;;
    --log) log=${2:?}; shift 2 ;;
    --files-from) files_from=${2:?}; shift 2 ;;
    --sbatch) sbatch_options+=("${2:?}"); shift 2 ;;
    --sbatch=*) sbatch_options+=("${1#--sbatch=}"); shift ;;
    --wait) wait=true; shift ;;
    -h|--help) usage ;;
    *) break ;;
  esac
done
split_at_files "$@"
[ -z "$chunk" ] || [[ "$chunk" =~ ^[1-9][0-9]*$ ]] || usage
command -v sbatch >/dev/null || { echo "Slurm's sbatch is not installed" >&2; exit 2; }
cli=$(command -v "${cli:-marevert-cli}") || { echo "marevert-cli not found" >&2; exit 2; }
cli=$(realpath -s -- "$cli")

write_file_list
[ -n "$log" ] && log=$(absolute "$log")

# Array task ids run from 1 to at most MaxArraySize - 1.
max_array=$(scontrol show config 2>/dev/null | awk '$1 == "MaxArraySize" { print $3 }')
[[ "$max_array" =~ ^[0-9]+$ ]] && [ "$max_array" -gt 1 ] || max_array=1001  # Slurm's default
max_tasks=$((max_array - 1))
if [ -z "$chunk" ]; then
  chunk=$(((count + max_tasks - 1) / max_tasks))
elif [ $(((count + chunk - 1) / chunk)) -gt "$max_tasks" ]; then
  echo "$count files in chunks of $chunk need more array tasks than the cluster's $max_tasks: raise --chunk" >&2
  exit 2
fi
runs=$(((count + chunk - 1) / chunk))

array=$(sbatch --parsable "${sbatch_options[@]}" --array="1-$runs" --output="$results/%a.out" \
  "$here/slurm-transform.sh" "$results" "$chunk" "$cli" "${options[@]}")
array=${array%%;*}
summarize=(sbatch --parsable "${sbatch_options[@]}" --dependency="afterany:$array" --output="$results/summary.txt"
  "$here/slurm-summarize.sh" "$results" "$runs" "$cli")
[ -n "$log" ] && summarize+=(--log "$log")
summary=$("${summarize[@]}")
summary=${summary%%;*}
echo "Transform job array $array: $count file(s) in $runs task(s); results in $results"
echo "Summarize job $summary: the summary goes to $results/summary.txt"
$wait || exit 0

# Until the summarize job has ended (sbatch --wait looks ever more seldom), then its
# exit status (ExitCode=status:signal).
while :; do
  job=$(scontrol show job --oneliner "$summary")
  case "$job" in
    *JobState=PENDING* | *JobState=RUNNING* | *JobState=CONFIGURING* | *JobState=COMPLETING*) sleep 1 ;;
    *) break ;;
  esac
done
cat "$results/summary.txt"
[[ "$job" =~ JobState=COMPLETED ]] && exit 0
[[ "$job" =~ ExitCode=([0-9]+): ]] && [ "${BASH_REMATCH[1]}" -ne 0 ] && exit "${BASH_REMATCH[1]}"
echo "The summarize job ended without a summary: ${job#*JobState=}" >&2
exit 1
