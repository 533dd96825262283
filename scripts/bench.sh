#!/usr/bin/env bash
# Installs what is missing, builds and runs every benchmark (or those named: bench.sh capture).
# Benchmarks print their own ratios against a reference run; they need a display, so they run
# under a private Xvfb server like the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
names=("$@")
if [[ ${#names[@]} -eq 0 ]]; then
  for program in "$build_dir"/bench/bench_*; do names+=("${program##*/bench_}"); done
fi
status=0
for name in "${names[@]}"; do
  echo "== bench_$name"
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build_dir/bench/bench_$name" || status=1
done
exit $status
