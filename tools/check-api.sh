#!/bin/bash
# Builds against Grabwell's API the way another project does: installs the
# build's "dev" component into SCRATCH/prefix, configures and builds
# examples/list-icons and examples/set-icon out of the source tree against
# that prefix (find_package(Grabwell)), and builds and runs a one-line program
# with the flags of `pkg-config --cflags --libs grabwell`. Given a PROGRAM
# and an ICON (.ico), set-icon writes PROGRAM with that icon to
# SCRATCH/set-icon/NAME (NAME: PROGRAM's file name) and its report to
# SCRATCH/set-icon/report.txt, and list-icons must read the file written
# whole. The examples are left at SCRATCH/example/list-icons and
# SCRATCH/example-set-icon/set-icon for the caller to run.
#   tools/check-api.sh BUILD_DIR SCRATCH [PROGRAM ICON]
set -u

if { [ $# -ne 2 ] && [ $# -ne 4 ]; } || [ ! -f "$1/CMakeCache.txt" ]; then
  echo "usage: $0 BUILD_DIR SCRATCH [PROGRAM ICON]" >&2
  exit 2
fi
program=${3:-}
icon=${4:-}
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Runs a command quietly; on failure shows what it wrote.
run() {
  local log=$scratch/last.log
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    fail "$*"
  fi
}

rm -rf "$2"
mkdir -p "$2" || fail "cannot create $2"
scratch=$(cd "$2" && pwd)
prefix=$scratch/prefix

run cmake --install "$build" --prefix "$prefix" --component dev
# The headers sit under include/grabwell/ only, each including the others as
# "grabwell/...".
extra=$(find "$prefix/include" -mindepth 1 -maxdepth 1 ! -name grabwell)
[ -z "$extra" ] || fail "include/ holds more than grabwell/: $extra"
bare=$(grep -rEn '^#[[:space:]]*include[[:space:]]*"(platform|formats|pictures|batch)/' "$prefix/include")
[ -z "$bare" ] || fail "installed headers include the source tree's paths: $bare"

cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$cxx" ] || fail "no CMAKE_CXX_COMPILER in $build/CMakeCache.txt"

# An example (examples/NAME) built in FOLDER, out of the source tree, seeing
# nothing of the build but the prefix.
build_example() {
  local name=$1 folder=$2 found
  run cmake -S "$source/examples/$name" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix"
  found=$(sed -n 's/^Grabwell_DIR:PATH=//p' "$folder/CMakeCache.txt")
  case $found in
    "$prefix"/*) ;;
    *) fail "$name: find_package(Grabwell) found $found, not the scratch prefix" ;;
  esac
  run cmake --build "$folder"
  [ -x "$folder/$name" ] || fail "no $folder/$name"
}
example=$scratch/example
build_example list-icons "$example"
setter=$scratch/example-set-icon
build_example set-icon "$setter"

# set-icon changes a program through the installed library, and what it
# wrote is a whole program that the installed library reads again.
if [ -n "$program" ]; then
  mkdir -p "$scratch/set-icon" || fail "cannot create $scratch/set-icon"
  changed=$scratch/set-icon/$(basename "$program")
  run "$setter/set-icon" "$program" "$icon" "$changed"
  cp "$scratch/last.log" "$scratch/set-icon/report.txt"
  [ -s "$changed" ] || fail "set-icon wrote no $changed"
  run "$example/list-icons" "$changed"
  grep -Eq ', [1-9][0-9]* icon groups?$' "$scratch/last.log" ||
    fail "list-icons finds no icon group in $changed: $(cat "$scratch/last.log")"
fi

# pkg-config: a program that needs libpng and libdeflate through the library.
pcdir=$(dirname "$(find "$prefix" -name grabwell.pc | head -n 1)")
[ -f "$pcdir/grabwell.pc" ] || fail "no grabwell.pc under $prefix"
flags=$(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs grabwell) || fail "pkg-config --cflags --libs grabwell"
case $flags in
  *"-I$prefix/"*) ;;
  *) fail "pkg-config's flags do not name the scratch prefix: $flags" ;;
esac
printf '#include <grabwell/grabwell.h>\nint main() { return gw::EncodePng(1, 1, {0xFF000000u}).empty(); }\n' \
  >"$scratch/one-line.cpp"
# shellcheck disable=SC2086 # the flags are words
run "$cxx" -std=c++20 "$scratch/one-line.cpp" $flags -o "$scratch/one-line"
run "$scratch/one-line"

echo "API check passed: $(find "$prefix/include" -name '*.h' | wc -l) headers, $flags"
