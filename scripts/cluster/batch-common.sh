# What parallel-transform.sh and slurm-submit.sh share (sourced by both): their help,
# the split of their arguments into transform options and files, and the batch's file
# list in the results folder.

# Prints the calling script's leading comment as its help and exits with status 2.
usage() {
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
}

# A path made absolute as marevert-cli makes it (links are kept, "." and ".." resolved
# in the text), so that every run, wherever it starts, names each file as a single run
# here would.
absolute() { realpath -s -m -- "$1"; }

# TRANSFORM-OPTION... -- FILE... into the arrays `options` and `files`.
split_at_files() {
  options=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] || usage
  shift
  files=("$@")
}

# Makes the results folder `results` (a new marevert-results.XXXXXX in the current
# folder when empty) absolute and writes into it `files`: the batch's files, then those
# listed in `files_from` (one per line) when set, absolute, each ended by a NUL byte.
# Sets `count` to their number; stops with status 2 when there are none.
write_file_list() {
  results=$(absolute "${results:-$(mktemp -d marevert-results.XXXXXX)}")
  mkdir -p "$results"
  local file
  {
    for file in "${files[@]}"; do printf '%s\0' "$(absolute "$file")"; done
    if [ -n "$files_from" ]; then
      while IFS= read -r file || [ -n "$file" ]; do
        [ -n "$file" ] && printf '%s\0' "$(absolute "$file")"
      done <"$files_from"
    fi
  } >"$results/files"
  count=$(tr -cd '\0' <"$results/files" | wc -c)
  [ "$count" -gt 0 ] || { echo "No files given" >&2; exit 2; }
}
