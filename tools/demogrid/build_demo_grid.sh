#!/usr/bin/env bash
# Rebuilds the demo grid in data/ from the synthetic text grid, with Marevert's own
# grid generator. Run from anywhere after building marevert-cli:
#   tools/demogrid/build_demo_grid.sh
# Environment: MAREVERT_CLI (default build/bin/marevert-cli), DEMO_GRID_DATE (D/M/Y,
# default today), DEMO_GRID_VERSION (major.minor, default 1.0).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${MAREVERT_CLI:-$root/build/bin/marevert-cli}
date=${DEMO_GRID_DATE:-$(date +%-d/%-m/%Y)}
version=${DEMO_GRID_VERSION:-1.0}
output=$root/data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid

if [ ! -x "$cli" ]; then
  echo "marevert-cli not found at $cli; build it first (cmake --build build --target marevert-cli)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_demo_text_grid.py" --output "$work/demo_nodes.txt" --grid-size 120
"$cli" build-grid --input "$work/demo_nodes.txt" --output "$output" --date "$date" \
  --major "${version%%.*}" --minor "${version#*.}" --grid-size 120
ls -l "$output"
