#!/usr/bin/env bash
# Starts the desktop program from a build folder, on the data files copied beside it.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: DISPLAY and WAYLAND_DISPLAY are not set, so the desktop program cannot open its window."
  echo "Run it on a desktop session, or under a virtual display: xvfb-run $build/bin/marevert"
  echo "Running the command-line demo instead ($build/bin/marevert-cli --help for more):"
  echo
  exec bash "$(dirname "$0")/demo.sh" "$build"
fi
exec "$build/bin/marevert"
