#!/usr/bin/env bash
# PROJ's cct on the grid export benchmark's grid (1800 x 900 nodes at one minute, every
# node present; bench_grid_file writes it) exported by marevert-cli export-grid as
# GeoTIFF and as GTX: 1,000,000 points in random order over the grid, through
# +proj=vgridshift with each file, side by side, best of three runs each taking turns.
# Prints both times and the ratio (target: at most 1.5), after checking that both give
# the same heights. For comparison, the first 20,000 points through a copy of the
# GeoTIFF in 256 x 256 tiles with the floating-point predictor (PROJ's own grids'
# layout, which this grid's 32 tiles turn into a decode per point).
#
# usage: bench/bench_proj_cct.sh BENCH_BUILD_FOLDER
set -euo pipefail
export LC_ALL=C  # awk and printf with decimal points
build=$(cd "${1:-build-bench}" && pwd)
for tool in cct gdal_translate; do
  command -v "$tool" >/dev/null || { echo "bench_proj_cct: $tool not installed, skipped"; exit 0; }
done
work=$(mktemp -d /tmp/marevert-bench-cct-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$build/bench-tools/bench_grid_file" grid.MRGGrid
for format in tif gtx; do
  "$build/bin/marevert-cli" export-grid --grid grid.MRGGrid --from LAT --to AHD --output "LAT_to_AHD.$format" \
    >/dev/null
done
# Longitude, latitude and height, within the lattice (120 to 149.98, -45 to -30.02).
awk 'BEGIN { srand(1); for (i = 0; i < 1000000; ++i) printf "%.6f %.6f 0\n", 120 + 29.98 * rand(), -45 + 14.98 * rand() }' \
  >points.txt
head -n 20000 points.txt >points20k.txt
gdal_translate -q -co TILED=YES -co BLOCKXSIZE=256 -co BLOCKYSIZE=256 -co COMPRESS=DEFLATE -co PREDICTOR=3 \
  LAT_to_AHD.tif tiles256.tif

# Seconds of one cct run over POINTS with GRID, its output in OUT.
run() {
  local start end
  start=$(date +%s.%N)
  cct -d 3 +proj=vgridshift +grids="$work/$1" +multiplier=1 "$2" >"$3"
  end=$(date +%s.%N)
  awk -v start="$start" -v end="$end" 'BEGIN { print end - start }'
}
best() { printf '%s\n' "$@" | sort -g | head -n 1; }

tif=() gtx=()
for _ in 1 2 3; do
  gtx+=("$(run LAT_to_AHD.gtx points.txt gtx.txt)")
  tif+=("$(run LAT_to_AHD.tif points.txt tif.txt)")
done
cmp -s gtx.txt tif.txt || { echo "bench_proj_cct: the GeoTIFF and the GTX give other heights" >&2; exit 1; }
tifBest=$(best "${tif[@]}") gtxBest=$(best "${gtx[@]}")
tiles=$(run tiles256.tif points20k.txt tiles.txt)
gtx20k=$(run LAT_to_AHD.gtx points20k.txt gtx20k.txt)
layout=$(gdalinfo LAT_to_AHD.tif | sed -n 's/.*Block=\([0-9x]*\).*/\1/p')

echo "PROJ cct +proj=vgridshift on 1,000,000 random points over 1800 x 900 nodes (best of 3)"
printf '  %-44s %7.2f s\n' "GeoTIFF from export-grid ($layout blocks)" "$tifBest" "GTX from export-grid" "$gtxBest"
awk -v tif="$tifBest" -v gtx="$gtxBest" 'BEGIN { printf "  ratio %.2f (target <= 1.5)\n", tif / gtx }'
printf '  for comparison, 20,000 points: 256 x 256 tiles with predictor 3 %.2f s, GTX %.2f s\n' "$tiles" "$gtx20k"
