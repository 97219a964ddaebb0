#!/usr/bin/env bash
# A cluster script against a single transform run over the same files: the same
# printed summary, the same outputs and the same Log.txt less its date line, with one
# run per file and with runs of three files each.
# Usage: engine_transform_test.sh parallel|slurm SOURCE_FOLDER BIN_FOLDER
#   parallel: scripts/cluster/parallel-transform.sh on three local job slots
#   slurm:    scripts/cluster/slurm-submit.sh --wait, on the cluster SLURM_CONF names
set -euo pipefail
engine=$1
source_dir=$2
bin=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
grid=$source_dir/data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid
options=(--grid "$grid" --from LAT --to AHD --zone 56 --depths-positive)

mkdir "$work/survey files"
cd "$work/survey files"
# Every sample but the BAG (its outputs' metadata hold the time they were written), a
# name with a blank, and a file that is missing.
cp "$source_dir"/data/samples/sample_*.{asc,xyz,htf,las,tif} .
cp sample_latlon.xyz "line 7.xyz"
files=(sample_grid.asc "line 7.xyz" sample_latlon.xyz sample_mga56.xyz missing.xyz sample_soundings.htf
       sample_v12.las sample_v14.las sample_depths.tif)

# What a run left beside the inputs, into folder $1 (the batch log less its date line).
keep() {
  mkdir "$work/$1"
  sed '2d' Log.txt >"$work/$1/Log.txt" && rm Log.txt
  mv ./*_AHD.* ./*_LAT.* "$work/$1/"
}

status=0
"$bin/marevert-cli" transform "${options[@]}" "${files[@]}" >"$work/one.txt" || status=$?
[ "$status" -eq 1 ] || { echo "single run: exit status $status, not 1" >&2; exit 1; }
keep one

# Runs the batch through the engine, with runs of $1 files, its results in folder $2,
# printing the summary.
run_engine() {
  case "$engine" in
    parallel)
      "$source_dir/scripts/cluster/parallel-transform.sh" --slots 3 --chunk "$1" --cli "$bin/marevert-cli" \
        --results "$2" "${options[@]}" -- "${files[@]}" ;;
    slurm)
      local status=0
      "$source_dir/scripts/cluster/slurm-submit.sh" --wait --chunk "$1" --cli "$bin/marevert-cli" \
        --results "$2" "${options[@]}" -- "${files[@]}" >/dev/null || status=$?
      cat "$2/summary.txt"
      return "$status" ;;
  esac
}

for chunk in 1 3; do
  status=0
  run_engine "$chunk" "$work/results-$chunk" >"$work/engine.txt" || status=$?
  [ "$status" -eq 1 ] || { echo "chunks of $chunk: exit status $status, not 1" >&2; exit 1; }
  diff -u "$work/one.txt" "$work/engine.txt"
  keep "$engine-$chunk"
  diff -r "$work/one" "$work/$engine-$chunk"
  expected_runs=$(( (${#files[@]} + chunk - 1) / chunk ))
  [ "$(ls "$work/results-$chunk"/*.json | wc -l)" -eq "$expected_runs" ]
done
echo "The runs through $engine gave what one run gives."
