#!/usr/bin/env bash
# Writes Windows shortcuts (.lnk) through Wine's own shell link object
# (IShellLinkW + IPersistFile::Save, tests/support/make_shortcut.c built
# with MinGW), in a temporary Wine prefix made for the run and removed after
# it. Into OUTPUT_DIR go the shortcuts and manifest.tsv: one line per
# shortcut with what make_shortcut was given (file, target, arguments,
# working directory, description, icon path, icon index, show command, hot
# key; "-" for a field left unset), for comparing the reader with them:
#
#   tools/make-wine-shortcuts.sh OUTPUT_DIR
#   GRABWELL_WINE_SHORTCUTS=OUTPUT_DIR build/grabwell_tests --gtest_filter='ShellLinkWine.*'
#
# Needs wine (64-bit) and x86_64-w64-mingw32-gcc. Booting the prefix takes
# from a few seconds to a minute, which is why this is not a unit test.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=${1:?usage: tools/make-wine-shortcuts.sh OUTPUT_DIR}
command -v wine >/dev/null || { echo "wine is not installed" >&2; exit 1; }
command -v x86_64-w64-mingw32-gcc >/dev/null || { echo "x86_64-w64-mingw32-gcc is not installed" >&2; exit 1; }
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/grabwell-wine-shortcuts-XXXXXX")
export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
cleanup() {
  wineserver -k >/dev/null 2>&1 || true # this prefix's server only
  rm -rf "$WORK"
}
trap cleanup EXIT

x86_64-w64-mingw32-gcc -municode -O1 -Wall -o "$WORK/make_shortcut.exe" tests/support/make_shortcut.c \
  -lole32 -luuid -lshell32
wineboot -i >"$WORK/wineboot.log" 2>&1 || { cat "$WORK/wineboot.log" >&2; exit 1; }

# Targets that exist, so that Wine's ID list holds real items: names beyond
# Windows-1252, which its 8-bit paths cannot hold.
C="$WINEPREFIX/drive_c"
mkdir -p "$C/users/Public/Dökümanlar Ω" "$C/Program Files/Grabwell Tools"
echo x >"$C/users/Public/Dökümanlar Ω/файл с длинным именем.txt"
echo x >"$C/Program Files/Grabwell Tools/grabwell.exe"

# file | target | arguments | working dir | description | icon path | icon index | show | hot key
SHORTCUTS=(
  'notepad.lnk|C:\windows\notepad.exe|/a "b c"|C:\windows|Notepad, the editor|C:\windows\system32\shell32.dll|3|3|0x0641'
  'unicode.lnk|C:\users\Public\Dökümanlar Ω\файл с длинным именем.txt|-|-|Ünïcødé ☃|%SystemRoot%\system32\shell32.dll|-5|1|-'
  'spaces.lnk|C:\Program Files\Grabwell Tools\grabwell.exe|--open "C:\users\Zoë"|C:\Program Files\Grabwell Tools|Grabwell — icônes|C:\Program Files\Grabwell Tools\grabwell.exe|0|7|-'
  'missing.lnk|D:\nowhere\prog.exe|--x|-|-|-|0|1|-'
  'unc.lnk|\\server\share\dir\file.exe|-|-|-|-|0|1|-'
  'folder.lnk|C:\windows\system32|-|-|A folder|-|0|1|-'
)
: >"$OUT/manifest.tsv"
for line in "${SHORTCUTS[@]}"; do
  IFS='|' read -r file target args dir desc icon index show hotkey <<<"$line"
  arg() { [ "$1" = "-" ] && echo "" || echo "$1"; }
  wine "$WORK/make_shortcut.exe" "C:\\users\\Public\\$file" "$target" "$(arg "$args")" "$(arg "$dir")" \
    "$(arg "$desc")" "$(arg "$icon")" "$(arg "$index")" "$(arg "$show")" "$(arg "$hotkey")"
  cp "$C/users/Public/$file" "$OUT/$file"
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$file" "$target" "$args" "$dir" "$desc" "$icon" "$index" "$show" \
    "$hotkey" >>"$OUT/manifest.tsv"
done
echo "$(wc -l <"$OUT/manifest.tsv") shortcuts written by $(wine --version) in $OUT"
