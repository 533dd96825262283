#!/usr/bin/env bash
# Installs what is missing, builds Lomtra-SAT and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
bash scripts/build.sh
exec "${BUILD_DIR:-build}/lomtra-sat" "$@"
