#!/usr/bin/env bash
# Installs the Debian packages that Lomtra-SAT needs and that are not there yet.
# Usage: scripts/install-deps.sh build|test|run|bench|package
# apt-get runs only when a package is missing, so a prepared machine is left alone.
set -euo pipefail

build_packages=(cmake make g++ pkg-config libjpeg62-turbo-dev libgtk-3-dev libwebkit2gtk-4.1-dev
                libcpp-httplib-dev fonts-dejavu-core xplanet-images)
# The package test makes the Debian package (dpkg-dev, file) and checks its desktop entry and
# manual pages (desktop-file-utils, groff-base, man-db); the locale test makes a decimal-comma
# locale (locales); the capture tests read the mosaic with gdalinfo and gdallocationinfo
# (gdal-bin), as GIS software reads it.
package_packages=(dpkg-dev file)
test_packages=(libgtest-dev libgmock-dev xvfb xauth xdotool xplanet-images "${package_packages[@]}"
               desktop-file-utils groff-base man-db locales gdal-bin)
run_packages=(xvfb xauth x11-apps imagemagick xplanet-images)
# gdal-bin gives the capture benchmark its reference tool.
bench_packages=(xvfb xauth gdal-bin)

case "${1:-build}" in
  build) wanted=("${build_packages[@]}") ;;
  test)  wanted=("${build_packages[@]}" "${test_packages[@]}") ;;
  run)   wanted=("${build_packages[@]}" "${run_packages[@]}") ;;
  bench) wanted=("${build_packages[@]}" "${bench_packages[@]}") ;;
  package) wanted=("${build_packages[@]}" "${package_packages[@]}") ;;
  *) echo "usage: $0 build|test|run|bench|package" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
