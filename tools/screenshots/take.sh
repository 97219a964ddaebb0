#!/usr/bin/env bash
# Takes the pictures of the desktop program's pages into docs/screenshots/ from the
# real windows, on Qt's offscreen platform (no display needed).
# Usage: tools/screenshots/take.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target marevert-screenshots marevert_data >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/marevert-screenshots" "$root/docs/screenshots"
