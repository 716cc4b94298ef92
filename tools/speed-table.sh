#!/usr/bin/env bash
# Measures grabwell-cli against wrestool (icoutils) on a folder of libraries:
# listing, describing, memory, cold-cache reads, the rescaler and the wizard.
#   tools/speed-table.sh [FOLDER] [BIG_LIBRARY]
# FOLDER defaults to the PE32+ libraries of Debian's libwine, BIG_LIBRARY to
# its shell32.dll. Needs /usr/bin/time and wrestool (apt-get install icoutils
# libwine); dropping caches for the cold rows needs root. Times are the best
# of three runs, in seconds; memory is the peak resident set.
set -euo pipefail
cd "$(dirname "$0")/.."
FOLDER=${1:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
BIG=${2:-$FOLDER/shell32.dll}
CLI=build/grabwell-cli
BENCH=build/grabwell-bench
TIME=/usr/bin/time
mapfile -t FILES < <(find "$FOLDER" -maxdepth 1 -type f | sort)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# best of three: wall seconds (to the millisecond) and peak KB of a command
best() {
    local best_s=999999 best_kb=0 out s kb start end
    for _ in 1 2 3; do
        start=$(date +%s%N)
        out=$("$TIME" -f "%M" "$@" 2>&1 >/dev/null | tail -1) || true
        end=$(date +%s%N)
        s=$(awk "BEGIN{printf \"%.3f\", ($end - $start) / 1e9}"); kb=$out
        if awk "BEGIN{exit !($s < $best_s)}"; then best_s=$s; best_kb=$kb; fi
    done
    echo "$best_s $best_kb"
}

cold_inputs() { # file-system inputs of one cold run, in MB
    sync; echo 3 > /proc/sys/vm/drop_caches
    "$TIME" -v "$@" 2>&1 >/dev/null | awk -F: '/File system inputs/ {printf "%.1f", $2 * 512 / 1048576}'
}

cold_time() { # wall seconds of one cold run
    sync; echo 3 > /proc/sys/vm/drop_caches
    "$TIME" -f "%e" "$@" 2>&1 >/dev/null | tail -1
}

row() { printf '| %s | %s | %s |\n' "$1" "$2" "$3"; }

echo "Files: ${#FILES[@]} in $FOLDER ($(du -sh "$FOLDER" | cut -f1))"
echo "| work | grabwell | wrestool |"
echo "|---|---|---|"
read -r gs gk < <(best "$CLI" info --counts "${FILES[@]}")
read -r ws wk < <(best wrestool -l "${FILES[@]}")
row "info --counts / wrestool -l" "$gs s ($(awk "BEGIN{printf \"%.2f\", $gs/$ws}")x)" "$ws s"
read -r gs gk < <(best "$CLI" info --json "${FILES[@]}")
row "info --json / wrestool -l" "$gs s ($(awk "BEGIN{printf \"%.2f\", $gs/$ws}")x), $((gk / 1024)) MB" "$ws s, $((wk / 1024)) MB"
read -r gs gk < <(best "$CLI" info --json "$BIG")
read -r ws wk < <(best wrestool -l "$BIG")
row "info --json $(basename "$BIG"): peak memory" "$((gk / 1024)) MB" "$((wk / 1024)) MB"
# Describing and decoding every PE file, one file at a time and two at a
# time (-j), the names read from a NUL-separated list as a pipeline gives them.
find "$FOLDER" -type f \( -name '*.dll' -o -name '*.exe' -o -name '*.drv' -o -name '*.sys' -o -name '*.ocx' \
    -o -name '*.cpl' -o -name '*.acm' -o -name '*.ax' -o -name '*.tlb' -o -name '*.ds' -o -name '*.msstyles' \
    -o -name '*.com' \) -print0 | sort -z > "$WORK/pe.list"
PE_COUNT=$(tr -cd '\0' < "$WORK/pe.list" | wc -c)
read -r s1 k1 < <(best "$CLI" info --json --decode -j 1 --files-from "$WORK/pe.list" -0)
read -r s2 k2 < <(best "$CLI" info --json --decode -j 2 --files-from "$WORK/pe.list" -0)
read -r ws wk < <(best wrestool -l "${FILES[@]}")
row "info --json --decode -j 1, $PE_COUNT PE files / wrestool -l" \
    "$s1 s ($(awk "BEGIN{printf \"%.2f\", $s1/$ws}")x), $((k1 / 1024)) MB" "$ws s, $((wk / 1024)) MB"
row "info --json --decode -j 2, $PE_COUNT PE files" "$s2 s ($(awk "BEGIN{printf \"%.2f\", $s2/$s1}")x of -j 1), $((k2 / 1024)) MB" "-"
if [ "$(id -u)" -eq 0 ]; then
    row "info --counts, cold: read from disk" "$(cold_inputs "$CLI" info --counts "${FILES[@]}") MB" \
        "$(cold_inputs wrestool -l "${FILES[@]}") MB"
    row "info --counts, cold / wrestool -l" "$(cold_time "$CLI" info --counts "${FILES[@]}") s" \
        "$(cold_time wrestool -l "${FILES[@]}") s"
    row "info --json, cold / wrestool -l" "$(cold_time "$CLI" info --json "${FILES[@]}") s" \
        "$(cold_time wrestool -l "${FILES[@]}") s"
fi
if [ -x "$BENCH" ]; then
    r=$("$BENCH" --benchmark_filter='Rescale4096' --benchmark_min_time=0.5 2>/dev/null | awk '/Rescale/ {print $2 " " $3; exit}')
    row "rescaler 4096 x 4096 to 64 x 64" "$r" "-"
fi
wizard() { rm -rf "$WORK/w"; mkdir "$WORK/w"; "$CLI" wizard --icons "$FOLDER" "$WORK/w" >/dev/null; }
extract() { rm -rf "$WORK/x"; mkdir "$WORK/x"; (cd "$WORK/x" && wrestool -x -t14 -o . "$@" 2>/dev/null) || true; }
export -f wizard extract
export CLI FOLDER WORK
read -r gs gk < <(best bash -c wizard)
read -r ws wk < <(best bash -c 'extract "$@"' _ "${FILES[@]}")
row "wizard --icons / wrestool -x -t14" "$gs s ($(awk "BEGIN{printf \"%.2f\", $gs/$ws}")x), $(find "$WORK/w" -type f | wc -l) files" \
    "$ws s, $(find "$WORK/x" -type f | wc -l) files"
# The Python module on every file of FOLDER, in milliseconds a file (the
# interpreter's start included): the thumbnailer's picture and the icon hash,
# against icoextract (python3-icoextract) taking out the first icon group.
# Skipped when the module is not built; the icoextract column when it is absent.
PYSITE=build/python/site
if [ -d "$PYSITE/grabwell" ]; then
    per_file() { awk "BEGIN{printf \"%.3f\", $1 * 1000 / ${#FILES[@]}}"; }
    read -r bs bk < <(PYTHONPATH=$PYSITE best /usr/bin/python3 -c 'import sys, grabwell
for p in sys.argv[1:]: grabwell.best_icon(p, 256)' "${FILES[@]}")
    read -r hs hk < <(PYTHONPATH=$PYSITE best /usr/bin/python3 -c 'import sys, grabwell
for p in sys.argv[1:]: grabwell.icon_hash(p)' "${FILES[@]}")
    if /usr/bin/python3 -c 'import icoextract' 2>/dev/null; then
        read -r is ik < <(best /usr/bin/python3 -c 'import sys, icoextract
for p in sys.argv[1:]:
    try: icoextract.IconExtractor(p).get_icon()
    except Exception: pass' "${FILES[@]}")
        row "Python best_icon(path, 256) / icoextract get_icon(), a file" \
            "$(per_file "$bs") ms ($(awk "BEGIN{printf \"%.2f\", $bs/$is}")x), $((bk / 1024)) MB" \
            "$(per_file "$is") ms, $((ik / 1024)) MB"
    else
        row "Python best_icon(path, 256), a file" "$(per_file "$bs") ms, $((bk / 1024)) MB" "- (no python3-icoextract)"
    fi
    row "Python icon_hash(path), a file" "$(per_file "$hs") ms, $((hk / 1024)) MB" "-"
fi
