#!/usr/bin/env bash
# The include check refuses a toolkit or POSIX header outside the platform's code, names the
# file and line, and lets the platform's own files include them.
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/ui" "$tree/platform/gtk" "$tree/services"
printf '#include "ui/gadgets.h"\n  #  include <gtk/gtk.h>\n' >"$tree/ui/stray.cpp"
printf '#pragma once\n#include <sys/stat.h>\n' >"$tree/platform/public.h"
printf '#include <string>\n#include "unistd.h"\n' >"$tree/services/quoted.cpp"
printf '#include <gtk/gtk.h>\n#include <unistd.h>\n' >"$tree/platform/backend.cpp"
printf '#include <webkit2/webkit2.h>\n' >"$tree/platform/gtk/state.h"

if output=$(bash "$check" "$tree" 2>&1); then
    echo "the check passed a tree with stray includes"; exit 1
fi
for expected in "ui/stray.cpp:2:" "platform/public.h:2:" "services/quoted.cpp:2:"; do
    grep -qF "$expected" <<<"$output" || { echo "not reported: $expected"; echo "$output"; exit 1; }
done
if grep -qE "backend.cpp|gtk/state.h" <<<"$output"; then
    echo "the platform's own files were refused"; echo "$output"; exit 1
fi

rm "$tree/ui/stray.cpp" "$tree/platform/public.h" "$tree/services/quoted.cpp"
bash "$check" "$tree" >/dev/null || { echo "a clean tree was refused"; exit 1; }
echo "include check test: passed"
