#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a given time each, one after the other.
#   run.sh <build folder> <seconds per target> [target ...]
# Seeds come from make_seeds.py; each target's growing corpus stays in
# <build folder>/corpus/<target>, findings go to fuzz-out/ in the source folder.
# Fails when a target found a crash, a leak, a time-out or a sanitizer report.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$1"
seconds="${2:-60}"
shift 2 || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_grid_read fuzz_grid_text fuzz_coast_data fuzz_rtf fuzz_file_htf fuzz_file_esri fuzz_file_las fuzz_file_text
    fuzz_file_raster fuzz_laz)
fi

python3 "$here/make_seeds.py" "$root" "$build/seeds"
mkdir -p "$root/fuzz-out"
failed=()
for target in "${targets[@]}"; do
  seeds="$build/seeds/${target#fuzz_}"
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$root/fuzz-out/$target.log"
  echo "== $target: ${seconds}s"
  # -rss_limit_mb: a header that claims a huge size must not make the reader allocate it.
  "$build/$target" "$corpus" "$seeds" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=1024 \
    -malloc_limit_mb=512 -max_len=8192 -print_final_stats=1 -artifact_prefix="$root/fuzz-out/$target-" \
    >"$log" 2>&1
  status=$?
  grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb" "$log" | sed 's/^/   /'
  if [ $status -ne 0 ]; then
    failed+=("$target")
    grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -5 | sed 's/^/   /'
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found faults in: ${failed[*]} (see fuzz-out/)"
  exit 1
fi
echo "fuzzing clean"
