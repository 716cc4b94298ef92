#!/usr/bin/env bash
# Installs what is missing, builds Grabwell in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source ./tools/deps.sh
ensure_packages
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target grabwell grabwell-cli
exec ./build/grabwell
