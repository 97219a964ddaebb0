#!/usr/bin/env bash
# Runs a worked example of the README exactly as written (from a folder whose "build"
# is the build folder and whose "scripts" and "examples" are the repository's, as in
# the repository's root) and compares what it prints with the output the README shows
# below it. The example is the first sh block after the marker <!-- NAME -->, its
# output the text block after that; the example's own folder (when its first command
# makes and enters one), or else that root, reads as $PWD.
# Usage: readme_example.sh README.md BUILD_FOLDER NAME [TOOL...]; exit 77 (skipped)
# when a TOOL the example needs is not installed.
set -euo pipefail
readme=$1
build=$2
name=$3
shift 3
for tool in "$@"; do
  command -v "$tool" >/dev/null || { echo "$tool not installed" >&2; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"  # a folder others may enter, as a repository checkout is

# The first block of the given kind after the marker.
block() {
  awk -v kind="$1" -v marker="<!-- $name -->" '$0 == marker { found = 1 }
    found && !inside && $0 == "```" kind { inside = 1; next }
    inside && $0 == "```" { exit }
    inside' "$readme"
}
block sh >"$work/example.sh"
block text >"$work/expected.txt"
if [ ! -s "$work/example.sh" ] || [ ! -s "$work/expected.txt" ]; then
  echo "no example after <!-- $name --> in $readme" >&2
  exit 1
fi

ln -s "$(cd "$build" && pwd)" "$work/build"
for folder in scripts examples; do
  ln -s "$(cd "$(dirname "$readme")" && pwd)/$folder" "$work/$folder"
done
(cd "$work" && bash -e example.sh) >"$work/actual.txt"
folder=$(head -n 1 "$work/example.sh" | sed -n 's/^mkdir -p \([^ ]*\) && cd .*/\1/p')
sed -i "s|$work${folder:+/$folder}|\$PWD|g" "$work/actual.txt"
diff -u "$work/expected.txt" "$work/actual.txt"
echo "The README example $name printed what the README shows."
