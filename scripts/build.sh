#!/usr/bin/env bash
# Configures and builds Lomtra-SAT into ${BUILD_DIR:-build}. Extra arguments go to cmake.
# Under CI (CI=true) every compiler warning is an error.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
werror=OFF
[[ "${CI:-}" == "true" ]] && werror=ON
cmake -S . -B "$build_dir" -DLOMTRA_WERROR="$werror" "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
