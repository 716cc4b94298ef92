#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a bounded time from its seed
# corpus. Any crash, hang (over 5 s) or memory blow-up (over 512 MB) fails the
# run, and the input is copied under tests/fuzz-regressions/<harness>/ so
# that the ordinary test run replays it from then on.
#
#   tools/fuzz.sh [SECONDS_PER_HARNESS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-15}
shift || true
BUILD=build-fuzz
JOBS=${FUZZ_JOBS:-$(nproc)}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGRABWELL_SANITIZE=ON -DGRABWELL_FUZZ=ON -DGRABWELL_GUI=OFF -DGRABWELL_BENCH=OFF >/dev/null
HARNESSES=("$@")
if [ ${#HARNESSES[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do HARNESSES+=("$(basename "$f" .cpp | sed 's/^fuzz_//')"); done
fi
TARGETS=(grabwell-fuzz-seeds)
for h in "${HARNESSES[@]}"; do TARGETS+=("fuzz_$h"); done
cmake --build "$BUILD" -j "$JOBS" --target "${TARGETS[@]}"

rm -rf "$BUILD/seeds"
"$BUILD/grabwell-fuzz-seeds" "$BUILD/seeds"
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_one() {
  local h=$1
  local corpus="$BUILD/corpus/$h" artifacts="$BUILD/artifacts/$h/"
  mkdir -p "$corpus" "$artifacts"
  local seeds=()
  [ -d "$BUILD/seeds/$h" ] && seeds+=("$BUILD/seeds/$h")
  [ -d "tests/fuzz-regressions/$h" ] && seeds+=("tests/fuzz-regressions/$h")
  if "$BUILD/fuzz_$h" "$corpus" "${seeds[@]}" -dict=fuzz/dict/grabwell.dict \
      -max_total_time="$SECONDS_EACH" -rss_limit_mb=512 -malloc_limit_mb=512 -timeout=5 \
      -artifact_prefix="$artifacts" -print_final_stats=1 >"$BUILD/fuzz-$h.log" 2>&1; then
    local execs cov slowest ms file size
    execs=$(grep -m1 'stat::number_of_executed_units' "$BUILD/fuzz-$h.log" | awk '{print $2}')
    cov=$(grep -Eo 'cov: [0-9]+' "$BUILD/fuzz-$h.log" | tail -1 | awk '{print $2}')
    # libFuzzer times inputs in whole seconds; replay the corpus it kept to
    # name the slowest input to the millisecond, with its size.
    slowest=$(find "$corpus" -type f -print0 | xargs -0 -r -n 500 "$BUILD/fuzz_$h" -rss_limit_mb=512 2>&1 |
      awk '/^Executed /{ if ($4 + 0 >= max) { max = $4 + 0; file = $2 } } END { print max, file }')
    read -r ms file <<<"$slowest"
    size=$( [ -n "${file:-}" ] && stat -c %s "$file" || echo "?")
    echo "fuzz $h: ok, ${execs:-?} executions, coverage ${cov:-?}, corpus $(find "$corpus" -type f | wc -l)," \
      "slowest input ${ms:-?} ms (${size} bytes: ${file:-none})"
  else
    echo "fuzz $h: FINDING (log: $BUILD/fuzz-$h.log)"
    mkdir -p "tests/fuzz-regressions/$h"
    for a in "$artifacts"*; do [ -f "$a" ] && cp "$a" "tests/fuzz-regressions/$h/"; done
    tail -40 "$BUILD/fuzz-$h.log"
    return 1
  fi
}
export -f run_one
export BUILD SECONDS_EACH
printf '%s\n' "${HARNESSES[@]}" | xargs -P "$JOBS" -I{} bash -c 'run_one {}'
