#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Marevert need, and
# the npm packages the tests use (scripts/npm-packages.sh). Run as root on Debian 12;
# as another user it prints the apt-get command to run instead.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache
  qt6-base-dev libgl-dev libglx-dev
  libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  proj-bin proj-data gdal-bin libgdal-dev
  pybind11-dev python3-dev python3-numpy python3-pytest python3-pyproj
  parallel slurm-wlm munge
  time
  locales
  xvfb xauth fonts-dejavu-core
)

# A comma-decimal locale for the tests that check numbers do not follow the locale.
TEST_LOCALE=de_DE.UTF-8

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Node.js and npm for the test that reads LAS outputs back with another reader (an npm
# package); a machine may already have them from elsewhere than Debian.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  missing+=(nodejs npm)
fi

have_locale() { locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; }

if [ ${#missing[@]} -gt 0 ] || ! have_locale; then
  if [ "$(id -u)" -ne 0 ]; then
    [ ${#missing[@]} -eq 0 ] || echo "Missing packages: ${missing[*]}" >&2
    have_locale || echo "Missing locale $TEST_LOCALE: as root, enable it in /etc/locale.gen and run locale-gen" >&2
    echo "Install them as root with:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  if ! have_locale; then
    echo "Generating locale $TEST_LOCALE"
    sed -i "s/^# *\($TEST_LOCALE UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$TEST_LOCALE UTF-8" /etc/locale.gen || echo "$TEST_LOCALE UTF-8" >>/etc/locale.gen
    locale-gen >/dev/null
  fi
fi

# The npm packages of the tests, now rather than while the tests run, so that the
# tests need no network.
bash "$(dirname "$0")/npm-packages.sh"
