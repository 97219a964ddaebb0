#!/usr/bin/env bash
# The GNU parallel script against a single transform run over the same files: the same
# printed summary, the same outputs and the same Log.txt less its date line, with one
# run per file on three local job slots and with runs of three files each.
# Usage: parallel_transform_test.sh SOURCE_FOLDER BIN_FOLDER
set -euo pipefail
source_dir=$1
bin=$2
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

for chunk in 1 3; do
  status=0
  "$source_dir/scripts/cluster/parallel-transform.sh" --slots 3 --chunk "$chunk" --cli "$bin/marevert-cli" \
    --results "$work/results-$chunk" "${options[@]}" -- "${files[@]}" >"$work/parallel.txt" || status=$?
  [ "$status" -eq 1 ] || { echo "chunks of $chunk: exit status $status, not 1" >&2; exit 1; }
  diff -u "$work/one.txt" "$work/parallel.txt"
  keep "parallel-$chunk"
  diff -r "$work/one" "$work/parallel-$chunk"
  expected_runs=$(( (${#files[@]} + chunk - 1) / chunk ))
  [ "$(ls "$work/results-$chunk"/*.json | wc -l)" -eq "$expected_runs" ]
done
echo "The parallel runs gave what one run gives."
