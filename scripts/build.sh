#!/usr/bin/env bash
# Configures a Release build folder and builds the given targets without CMake's
# progress lines: a build that succeeds prints one line; one that fails prints the end
# of what the compiler and CMake said (all of it stays in BUILD_FOLDER/build.log).
# Usage: scripts/build.sh BUILD_FOLDER JOBS TARGET... [-- CMAKE_FLAG...]
set -euo pipefail
build=$1
jobs=$2
shift 2
targets=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  targets+=("$1")
  shift
done
[ $# -gt 0 ] && shift
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build"
log=$build/build.log
echo "Building in $build (Release): ${targets[*]}"
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release "$@" &&
  cmake --build "$build" -j "$jobs" --target "${targets[@]}"; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "The build failed; the whole output is in $log" >&2
  exit 1
fi
