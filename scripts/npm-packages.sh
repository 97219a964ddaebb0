#!/usr/bin/env bash
# Installs the npm packages the tests use (the LAS reader that is not ours) at the
# versions tests/core/files/lasreader/package-lock.json pins, into
# tests/core/files/lasreader/node_modules, where the tests find them. Run by the set-up
# step, and by the tests' fixture: once the packages match the lock file nothing is
# fetched, so the tests then run without a network.
# Usage: scripts/npm-packages.sh [--verify]   (--verify: only check, exit 1 if stale)
set -euo pipefail
folder=$(cd "$(dirname "$0")/../tests/core/files/lasreader" && pwd)
# The lock file the installed packages were made from, kept beside them.
stamp=$folder/node_modules/.installed-package-lock.json

installed() {
  cmp -s "$folder/package-lock.json" "$stamp" &&
    npm ls --prefix "$folder" --offline --no-fund --no-audit >/dev/null 2>&1
}

if installed; then
  exit 0
fi
if [ "${1:-}" = "--verify" ]; then
  echo "The npm packages of $folder are missing or older than its package-lock.json: run make setup" >&2
  exit 1
fi
if ! command -v npm >/dev/null; then
  echo "npm is not installed: run make setup" >&2
  exit 1
fi
echo "Installing the npm packages of tests/core/files/lasreader (npm ci)"
rm -f "$stamp"
(cd "$folder" && npm ci --no-audit --no-fund --loglevel=error >/dev/null) || {
  echo "npm ci failed in $folder: behind a proxy or with a custom CA, see the README (npm config)" >&2
  exit 1
}
cp "$folder/package-lock.json" "$stamp"
