#!/usr/bin/env bash
# The Debian package of a build, as a desktop would receive it: cpack makes it, dpkg-deb
# unpacks it into a temporary root, and what it holds is checked there. Every fault found is
# reported; the closing line counts the checks.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build_dir=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@" >"$work/check.log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
    sed 's/^/    /' "$work/check.log"
  fi
}
no_output() { local out; out=$("$@" 2>&1) || { echo "$out"; return 1; }; [[ -z "$out" ]] || { echo "$out"; return 1; }; }
# desktop-file-validate's hints are suggestions; its warnings and errors are faults.
valid_entry() { local out; out=$(desktop-file-validate "$1" 2>&1) || { echo "$out"; return 1; }; ! grep -E 'error:|warning:' <<<"$out"; }
contains() { grep -qF -- "$2" "$1" || { echo "\"$2\" is not in $1"; return 1; }; }

if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "0 passed, 1 failed"
  exit 1
fi
deb=$(ls "$work"/out/lomtra-sat_*.deb)
dpkg-deb -x "$deb" "$work/root"
root=$work/root
dpkg-deb -f "$deb" Depends >"$work/depends"

# Dependencies are those of the linked libraries, never of development packages.
for library in libgtk-3-0 libwebkit2gtk-4.1-0 libjpeg62-turbo libc6; do
  check "the package depends on $library" contains "$work/depends" "$library"
done
check "no development package is a dependency" bash -c "! grep -q -- '-dev' '$work/depends'"

for file in usr/bin/lomtra-sat usr/bin/lomtra-tileserver usr/share/applications/lomtra-sat.desktop \
            usr/share/icons/hicolor/scalable/apps/lomtra-sat.svg usr/share/man/man1/lomtra-sat.1.gz \
            usr/share/man/man1/lomtra-tileserver.1.gz; do
  check "$file is in the package" test -s "$root/$file"
done

desktop=$root/usr/share/applications/lomtra-sat.desktop
check "the desktop entry is valid" valid_entry "$desktop"
check "the desktop entry opens a file with lomtra-sat" contains "$desktop" "Exec=lomtra-sat %f"
check "the desktop entry opens KML files" contains "$desktop" "application/vnd.google-earth.kml+xml"
check "the desktop entry's icon is the installed one" contains "$desktop" "Icon=lomtra-sat"
check "the icon is an SVG picture" contains "$root/usr/share/icons/hicolor/scalable/apps/lomtra-sat.svg" "<svg"

version=$("$root/usr/bin/lomtra-sat" --version 2>&1)
check "the unpacked lomtra-sat --version runs" test "$version" = "lomtra-sat $(dpkg-deb -f "$deb" Version)"
check "the unpacked lomtra-tileserver --help runs" "$root/usr/bin/lomtra-tileserver" --help

for page in lomtra-sat lomtra-tileserver; do
  gz=$root/usr/share/man/man1/$page.1.gz
  check "$page.1 renders without a warning" no_output bash -c "zcat '$gz' | groff -man -Tutf8 -ww -z"
  MANWIDTH=80 man -l "$gz" >"$work/$page.txt" 2>"$work/$page.err"
  check "man -l renders $page.1 without complaint" no_output cat "$work/$page.err"
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS"; do
    check "$page.1 has $section" contains "$work/$page.txt" "$section"
  done
done
# Every setting the program knows is in its manual page and in the README.
for key in $("$root/usr/bin/lomtra-sat" --help | grep -o 'LOMTRA_SAT_[A-Z_]*' | sort -u); do
  check "lomtra-sat.1 explains $key" contains "$work/lomtra-sat.txt" "$key"
  check "the README's settings table lists $key" contains "$source_dir/README.md" "| \`$key\` |"
done

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
