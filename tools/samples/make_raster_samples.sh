#!/usr/bin/env bash
# Writes the two sample rasters of data/samples with GDAL's own tools (Debian gdal-bin),
# from made-up grids in MGA zone 56 off the coast north of Sydney, inside the synthetic
# demo grid except a few cells on land to the north-west:
#   sample_depths.tif   GeoTIFF, Float32 depths (positive down) in 5 km cells, DEFLATE,
#                       one cell without data
#   sample_survey.bag   BAG, elevations (positive up, so negative below the datum) in 2 km
#                       cells with their uncertainty band, one cell without data
# Usage: tools/samples/make_raster_samples.sh [OUTPUT_FOLDER]   (default: data/samples)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../data/samples}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 8 x 6 cells of 5 km from E 355000, N 6315000: the north-western corner is on land.
cat >"$work/depths.asc" <<'EOF'
ncols 8
nrows 6
xllcorner 355000
yllcorner 6315000
cellsize 5000
NODATA_value -9999
 8.10  9.35 10.60 11.85 13.10 14.35 15.60 16.85
 9.20 10.45 11.70 12.95 14.20 -9999 16.70 17.95
10.30 11.55 12.80 14.05 15.30 16.55 17.80 19.05
11.40 12.65 13.90 15.15 16.40 17.65 18.90 20.15
12.50 13.75 15.00 16.25 17.50 18.75 20.00 21.25
13.60 14.85 16.10 17.35 18.60 19.85 21.10 22.35
EOF
gdal_translate -q -a_srs EPSG:28356 -ot Float32 -co COMPRESS=DEFLATE -co PREDICTOR=3 \
  -mo "TITLE=Marevert sample: made-up depths, not for navigation" "$work/depths.asc" "$out/sample_depths.tif"

# 6 x 5 nodes of 2 km from E 365000, N 6319000 (a BAG holds elevations, up positive).
bag_header() {
  printf 'ncols 6\nnrows 5\nxllcorner 365000\nyllcorner 6319000\ncellsize 2000\nNODATA_value 1000000\n'
}
bag_header >"$work/elevation.asc"
cat >>"$work/elevation.asc" <<'EOF'
 -4.15  -6.30  -8.45 -10.60 -12.75 -14.90
 -5.25  -7.40  -9.55 -11.70 1000000 -16.00
 -6.35  -8.50 -10.65 -12.80 -14.95 -17.10
 -7.45  -9.60 -11.75 -13.90 -16.05 -18.20
 -8.55 -10.70 -12.85 -15.00 -17.15 -19.30
EOF
bag_header >"$work/uncertainty.asc"
cat >>"$work/uncertainty.asc" <<'EOF'
 0.31 0.33 0.35 0.37 0.39 0.41
 0.32 0.34 0.36 0.38 1000000 0.42
 0.33 0.35 0.37 0.39 0.41 0.43
 0.34 0.36 0.38 0.40 0.42 0.44
 0.35 0.37 0.39 0.41 0.43 0.45
EOF
gdalbuildvrt -q -separate -a_srs EPSG:28356 "$work/survey.vrt" "$work/elevation.asc" "$work/uncertainty.asc"
rm -f "$out/sample_survey.bag"
gdal_translate -q -of BAG -ot Float32 "$work/survey.vrt" "$out/sample_survey.bag"
echo "Wrote $out/sample_depths.tif and $out/sample_survey.bag"
