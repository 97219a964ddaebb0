#!/usr/bin/env bash
# A batch of survey files through GNU parallel: one `marevert-cli transform` per file
# (or per chunk of files) on this machine's cores or on other hosts over ssh, each
# writing its result file, then one `marevert-cli summarize` that prints the summary and
# writes the Log.txt a single transform run over the same files in the same order
# writes. The outputs land beside their inputs, as a single run puts them.
#
#   parallel-transform.sh [OPTION...] TRANSFORM-OPTION... -- FILE...
#
#   --slots N          runs at once on each host (default: one per core)
#   --sshlogin LOGINS  hosts, as parallel's --sshlogin takes them (":" is this one);
#                      every host must see the files, the results folder and the grid
#                      at the same paths (a shared folder) and have marevert-cli
#   --results DIR      where the runs' result files and logs go (default: a new folder
#                      marevert-results.XXXXXX in the current folder); on a shared
#                      folder when other hosts run
#   --chunk N          files per transform run (default 1)
#   --cli PATH         the marevert-cli to run (default: marevert-cli on the PATH)
#   --log PATH         passed on to summarize: where Log.txt goes
#   --files-from LIST  read the files from LIST, one per line, after any given
#
# TRANSFORM-OPTION...: the options of marevert-cli transform (--grid, --from, --to or
# --block-shift, --zone, --depths-positive), the same for every run.
# Exit status: that of summarize (0 every file transformed, 1 a file had an error or a
# run left no result), 2 usage error.
set -euo pipefail

. "$(dirname "$0")/batch-common.sh"

slots=100% sshlogin="" results="" chunk=1 cli=marevert-cli log="" files_from=""
while [ $# -gt 0 ]; do
  case "$1" in
    --slots) slots=${2:?}; shift 2 ;;
    --sshlogin) sshlogin=${2:?}; shift 2 ;;
    --results) results=${2:?}; shift 2 ;;
    --chunk) chunk=${2:?}; shift 2 ;;
    --cli) cli=${2:?}; shift 2 ;;
    --log) log=${2:?}; shift 2 ;;
    --files-from) files_from=${2:?}; shift 2 ;;
    -h|--help) usage ;;
    *) break ;;
  esac
done
split_at_files "$@"
[[ "$chunk" =~ ^[1-9][0-9]*$ ]] || usage
command -v parallel >/dev/null || { echo "GNU parallel is not installed (Debian: apt-get install parallel)" >&2; exit 2; }

write_file_list
[ -n "$log" ] && log=$(absolute "$log")

# Run k (from 1) transforms files chunk*(k-1)+1 ... chunk*k, writing its log to k.log
# and its result to k.json; the summaries the runs print go to runs.txt.
ssh=()
[ -n "$sshlogin" ] && ssh=(--sshlogin "$sshlogin")
parallel --will-cite --null --quote --jobs "$slots" "${ssh[@]}" --max-args "$chunk" \
  "$cli" transform "${options[@]}" --jobs 1 --log "$results/{#}.log" --result-json "$results/{#}.json" {} \
  :::: "$results/files" >"$results/runs.txt" || true
# (A run fails when one of its files has an error: summarize says so for the batch, and
# fails itself when a run left no result.)

runs=$(( (count + chunk - 1) / chunk ))
result_files=()
for ((k = 1; k <= runs; ++k)); do result_files+=("$results/$k.json"); done
summarize=("$cli" summarize "${result_files[@]}")
[ -n "$log" ] && summarize+=(--log "$log")
exec "${summarize[@]}"
