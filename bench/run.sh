#!/usr/bin/env bash
# Runs every benchmark executable of a bench build folder.
set -euo pipefail
build=${1:-build-bench}
shopt -s nullglob
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
if [ -x "$build/bench-tools/bench_grid_file" ]; then
  echo "== bench_proj_cct"
  bash "$(dirname "$0")/bench_proj_cct.sh" "$build"
fi
if [ -d "$build/python" ]; then
  echo "== bench_python"
  /usr/bin/python3 "$(dirname "$0")/bench_python.py" "$build"
fi
