#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# GUI tests need a display: the whole run happens under a private Xvfb server, so tests
# never draw on (or take input from) the user's desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
jobs=${LOMTRA_TEST_JOBS:-$(nproc)}
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$jobs" "$@"
