#!/usr/bin/env bash
# Builds せいらん with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
seiran_ensure_deps

build=build/debug-asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSEIRAN_SANITIZE=ON -DSEIRAN_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
