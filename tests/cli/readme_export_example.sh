#!/usr/bin/env bash
# Runs the worked example of the README's section on grids for PROJ exactly as written
# (from a folder whose "build" is the build folder, as in the repository) and compares
# what it prints with the output the README shows below it.
# Usage: readme_export_example.sh README.md BUILD_FOLDER; exit 77 (skipped) without PROJ's
# and GDAL's programs.
set -euo pipefail
readme=$1
build=$2
for tool in cct gdalwarp gdal_translate; do
  command -v "$tool" >/dev/null || { echo "$tool not installed" >&2; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The first block of the given kind after the marker.
block() {
  awk -v kind="$1" '/<!-- export-example -->/ { found = 1 }
    found && !inside && $0 == "```" kind { inside = 1; next }
    inside && $0 == "```" { exit }
    inside' "$readme"
}
block sh >"$work/example.sh"
block text >"$work/expected.txt"
if [ ! -s "$work/example.sh" ] || [ ! -s "$work/expected.txt" ]; then
  echo "no example after <!-- export-example --> in $readme" >&2
  exit 1
fi

ln -s "$(cd "$build" && pwd)" "$work/build"
(cd "$work" && bash -e example.sh) >"$work/actual.txt"
sed -i "s|$work/proj-example|\$PWD|g" "$work/actual.txt"
diff -u "$work/expected.txt" "$work/actual.txt"
echo "The README example printed what the README shows."
