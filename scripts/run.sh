#!/usr/bin/env bash
# Installs what is missing, builds Lomtra-SAT and starts it.
# Unless a tile server is already answering on 127.0.0.1:18089 (or LOMTRA_SAT_TILE_SERVER names
# another one), the local tile server runs beside the program with its Earth imagery, so a run
# needs no internet; it is stopped when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}

listening() { (exec 3<>/dev/tcp/127.0.0.1/18089) 2>/dev/null; }

server_pid=
if [[ -z "${LOMTRA_SAT_TILE_SERVER:-}" ]] && ! listening; then
  "$build_dir/tools/tile-server/lomtra-tileserver" --demo &
  server_pid=$!
  trap 'kill "$server_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do listening && break; sleep 0.1; done
fi
"$build_dir/lomtra-sat" "$@"
