#!/usr/bin/env bash
# Builds Lomtra-SAT for release (no tests, no benchmarks) into ${PACKAGE_BUILD_DIR:-build-package}
# and makes its Debian package there with cpack; prints the package's path.
# Install it with: apt-get install ./build-package/lomtra-sat_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package
build_dir=${PACKAGE_BUILD_DIR:-build-package}
BUILD_DIR="$build_dir" bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DLOMTRA_TESTS=OFF -DLOMTRA_BENCH=OFF
cd "$build_dir"
cpack -G DEB >/dev/null
ls "$PWD"/lomtra-sat_*.deb
