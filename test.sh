#!/usr/bin/env bash
# Installs what is missing, builds Grabwell and runs every test: the whole
# suite in Release, the core tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every fuzz harness for a short, bounded
# time (FUZZ_SECONDS each, 12 by default; 0 skips the step).
set -euo pipefail
cd "$(dirname "$0")"
source ./tools/deps.sh
ensure_packages

JOBS=$(nproc)
echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$JOBS"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS")

echo "== Core tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGRABWELL_SANITIZE=ON -DGRABWELL_GUI=OFF -DGRABWELL_BENCH=OFF >/dev/null
cmake --build build-asan -j "$JOBS" --target grabwell_tests grabwell-cli grabwell-thumbnailer
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$JOBS")

FUZZ_SECONDS=${FUZZ_SECONDS:-12}
if [ "$FUZZ_SECONDS" -gt 0 ]; then
  echo "== Fuzz harnesses, ${FUZZ_SECONDS}s each"
  ./tools/fuzz.sh "$FUZZ_SECONDS"
fi
