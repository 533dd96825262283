#!/usr/bin/env bash
# Fails when toolkit or POSIX headers are included where they do not belong.
#
# GTK, GDK, GLib, GIO, WebKit, cairo and POSIX headers may be included only by the platform's
# own code: the .cpp files under src/platform/ and the backend's headers under
# src/platform/gtk/. Everywhere else under src/, the platform's public headers included, they
# are refused, so the rest of the program speaks to the desktop only through the platform.
#
# Usage: scripts/check-includes.sh [SOURCE_FOLDER]   (default: the project's src/)
set -euo pipefail
src=${1:-"$(dirname "$0")/../src"}
src=${src%/}

toolkit='gtk/|gdk/|gdk-pixbuf/|gdkx\.h|glib\.h|glib/|glib-object\.h|gobject/|gio/|gmodule\.h|webkit2?/|JavaScriptCore/|jsc/|cairo[^/]*\.h|cairo/|pango/|atk/'
posix='unistd\.h|sys/|dirent\.h|fcntl\.h|pthread\.h|signal\.h|spawn\.h|pwd\.h|grp\.h|locale\.h|langinfo\.h|poll\.h|termios\.h|dlfcn\.h|netdb\.h|netinet/|arpa/|sched\.h|semaphore\.h|strings\.h|libgen\.h|glob\.h|fnmatch\.h|wordexp\.h|iconv\.h|syslog\.h|utime\.h|ftw\.h|mqueue\.h'
pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($toolkit|$posix)"

found=0
while IFS= read -r -d '' file; do
    relative=${file#"$src"/}
    case "$relative" in
        platform/*.cpp | platform/*/*.cpp | platform/gtk/*.h) continue ;;
    esac
    hits=$(grep -nE "$pattern" "$file" || true)
    if [[ -n $hits ]]; then
        printf '%s\n' "$hits" | sed "s|^|$relative:|"
        found=1
    fi
done < <(find "$src" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if [[ $found -ne 0 ]]; then
    echo "Toolkit and POSIX headers belong to src/platform/ (its .cpp files and src/platform/gtk/);" >&2
    echo "use or add a platform function instead." >&2
    exit 1
fi
echo "include check: no toolkit or POSIX header outside the platform"
