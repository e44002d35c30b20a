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
# LeakSanitizer is on: a leak of ours fails its test. The suppressions name only the toolkit's
# and the font libraries' one-time allocations.
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
