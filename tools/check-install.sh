#!/bin/bash
# Installs a build into a scratch root and checks that everything lands where
# the desktop expects it: the programs, the menu and thumbnailer entries, the
# application icon in every size and the manual pages, each of them valid.
#   tools/check-install.sh BUILD_DIR
set -u

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$1

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

if ! DESTDIR="$root" cmake --install "$build" --prefix /usr >"$root/install.log" 2>&1; then
  cat "$root/install.log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi
usr=$root/usr
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

for program in grabwell grabwell-cli grabwell-thumbnailer; do
  [ -x "$usr/bin/$program" ] || fail "bin/$program missing or not executable"
done
for program in grabwell-cli grabwell-thumbnailer; do
  if [ -x "$usr/bin/$program" ]; then
    out=$("$usr/bin/$program" --version 2>&1) || fail "$program --version failed: $out"
  fi
done

desktop=$usr/share/applications/grabwell.desktop
if [ -f "$desktop" ]; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
else
  fail "share/applications/grabwell.desktop missing"
fi

thumbnailer=$usr/share/thumbnailers/grabwell.thumbnailer
if [ -f "$thumbnailer" ]; then
  grep -qx '\[Thumbnailer Entry\]' "$thumbnailer" || fail "$thumbnailer: no [Thumbnailer Entry]"
  grep -q '^Exec=grabwell-thumbnailer ' "$thumbnailer" || fail "$thumbnailer: no Exec line"
else
  fail "share/thumbnailers/grabwell.thumbnailer missing"
fi

for size in 16 24 32 48 64 128 256; do
  icon=$usr/share/icons/hicolor/${size}x${size}/apps/grabwell.png
  if [ -f "$icon" ]; then
    # A PNG's width and height, big-endian, at bytes 16 and 20.
    dims=$(od -An --endian=big -tu4 -j16 -N8 "$icon" | tr -s ' ')
    [ "$dims" = " $size $size" ] || fail "share/icons/hicolor/${size}x${size}/apps/grabwell.png is $dims"
  else
    fail "share/icons/hicolor/${size}x${size}/apps/grabwell.png missing"
  fi
done

for page in grabwell grabwell-cli grabwell-thumbnailer; do
  file=
  for candidate in "$usr/share/man/man1/$page.1.gz" "$usr/share/man/man1/$page.1"; do
    [ -f "$candidate" ] && file=$candidate && break
  done
  if [ -z "$file" ]; then
    fail "share/man/man1/$page.1 missing"
    continue
  fi
  warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

if [ $failures -ne 0 ]; then
  exit 1
fi
echo "Install check passed"
