#!/usr/bin/env bash
# Transforms the sample survey files and rasters (data/samples) from LAT to AHD on the
# synthetic demo grid with marevert-cli, in a scratch copy under the build folder, and
# prints the processing summaries and where the outputs are. The samples hold depths
# (positive down), except the BAG, which holds elevations (positive up) as BAGs do.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -x "$build/bin/marevert-cli" ]; then
  echo "No $build/bin/marevert-cli: build it first (make demo does)" >&2
  exit 1
fi
cli="$(cd "$build/bin" && pwd)/marevert-cli"
grid="$root/data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid"
demo="$build/demo"

rm -rf "$demo"
mkdir -p "$demo"
cp "$root"/data/samples/* "$demo"/
demo=$(cd "$demo" && pwd)

echo "Demo: the sample survey files from LAT to AHD on the synthetic demo grid (not for navigation)"
echo "  marevert-cli transform --grid $(basename "$grid") --from LAT --to AHD --zone 56 --depths-positive \\"
echo "    --log Log_depths.txt <samples>"
echo
status=0
# Each batch writes its own log (--log): both go into the one folder.
(cd "$demo" && "$cli" transform --grid "$grid" --from LAT --to AHD --zone 56 --depths-positive \
  --log Log_depths.txt sample_grid.asc sample_latlon.xyz sample_mga56.xyz sample_soundings.htf sample_v12.las \
  sample_v14.las sample_v14.laz sample_depths.tif) || status=$?
echo
echo "The BAG holds elevations (heights positive up):"
echo "  marevert-cli transform --grid $(basename "$grid") --from LAT --to AHD --log Log_bag.txt sample_survey.bag"
echo
(cd "$demo" && "$cli" transform --grid "$grid" --from LAT --to AHD --log Log_bag.txt sample_survey.bag) || status=$?
echo
echo "Outputs in $demo:"
echo "  *_AHD.*         the transformed records (depths below AHD; the BAG's elevations above it)"
echo "  *_LAT.*         the records not transformed (outside the grid, or marked invalid), unchanged"
echo "  Log_depths.txt  the first batch's log; Log_bag.txt the second's"
(cd "$demo" && ls -1 ./*_AHD.* ./*_LAT.* | sed 's|^\./|    |')
echo "Application log (one line per batch): $(dirname "$cli")/Application Log.txt"
exit $status
