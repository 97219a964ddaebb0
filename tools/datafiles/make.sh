#!/usr/bin/env bash
# Regenerates the files shipped beside the program that our own tools make:
#   data/Orvane_Logo_RGB.png, data/Quindle_logo.png, data/marevert.png  (tools/logos)
#   data/Marevert_userManual.pdf from docs/manual/Marevert_userManual.md  (tools/manual)
#   data/GridExtent/ from the demo grid in data/  (tools/gridextent)
# Usage: tools/datafiles/make.sh [logos|manual|extent ...]   (all three by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-tools
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

cmake -S "$root/tools/datafiles" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null

what=("$@")
[ ${#what[@]} -eq 0 ] && what=(logos manual extent)
for item in "${what[@]}"; do
  case $item in
    logos) "$build/make_logos" "$root/data" ;;
    manual) "$build/make_manual" "$root/docs/manual/Marevert_userManual.md" "$root/data/Marevert_userManual.pdf" ;;
    extent)
      grids=("$root"/data/*.MRGGrid)
      if [ ! -e "${grids[0]}" ]; then
        echo "No *.MRGGrid in data/: build the demo grid first." >&2
        exit 1
      fi
      rm -rf "$root/data/GridExtent"
      "$build/make_grid_extent" "${grids[0]}" "$root/data/GridExtent" ;;
    *) echo "unknown item: $item (logos, manual or extent)" >&2; exit 2 ;;
  esac
done
