#!/usr/bin/env bash
# Installs what is missing, builds Lomtra-SAT and starts it on the local demo tile server.
#
# The tile server runs on loopback for as long as the program does. Without a display (no
# $DISPLAY, e.g. over ssh) the program runs under a private Xvfb server instead, and a
# screenshot of its window is written to lomtra-sat-screenshot.png after a few seconds.
# Arguments go to lomtra-sat (e.g. nofile 48.8 48.9 2.3 2.4).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}

log=$(mktemp)
"$build_dir/tools/tile-server/lomtra-tileserver" --demo --bind 127.0.0.1 --port "${LOMTRA_SAT_PORT:-0}" >"$log" 2>&1 &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; rm -f "$log"' EXIT

address=""
for _ in $(seq 1 100); do
  address=$(sed -n 's/^lomtra-tileserver: serving on //p' "$log")
  [[ -n "$address" ]] && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
  sleep 0.1
done
[[ -n "$address" ]] || { echo "the tile server did not start" >&2; exit 1; }
echo "Tile server: $address"

export LOMTRA_SAT_TILE_SERVER="$address"
export LOMTRA_SAT_SITE="${address#http://}"

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  "$build_dir/lomtra-sat" "$@"
else
  echo "No display: running under Xvfb; a screenshot goes to lomtra-sat-screenshot.png"
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$0" "${@}" &
    program=$!
    sleep "${LOMTRA_SAT_SCREENSHOT_DELAY:-8}"
    xwd -root -silent | convert xwd:- lomtra-sat-screenshot.png 2>/dev/null \
      || import -window root lomtra-sat-screenshot.png
    echo "Screenshot written; the program keeps running under Xvfb until you press Ctrl+C."
    wait "$program"' "$build_dir/lomtra-sat" "$@"
fi
