#!/usr/bin/env bash
# Builds せいらん (release) and starts it.
#   ./run.sh            the program on your own settings and data folder
#   ./run.sh --sample   a sample data folder with three grades, without touching your settings
#   ./run.sh --package  the Debian package build/release/seiran_<version>_amd64.deb (no window)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
seiran_ensure_deps

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ "${1:-}" = "--package" ]; then
    cmake --build build/release --target seiran_installable
    (cd build/release && cpack -G DEB)
    ls build/release/seiran_*_amd64.deb
    exit 0
fi
cmake --build build/release --target seiran seiran-sample seiran-report seiran_stdfiles

args=()
if [ "${1:-}" = "--sample" ]; then
    sample="$PWD/sample-data"
    rm -rf "$sample"
    mkdir -p "$sample/DATA"
    build/release/bin/seiran-sample "$sample/DATA" --grade 1 --classes 4 --pupils 34 --seed 1
    build/release/bin/seiran-sample "$sample/DATA" --grade 2 --classes 5 --pupils 33 --seed 2
    build/release/bin/seiran-sample "$sample/DATA" --grade 3 --classes 4 --pupils 35 --seed 3
    printf '[Startup]\nData_dir=%s/DATA/\nClass_mode=0\nGraph_mode=0\nBeep_mode=0\n' "$sample" >"$sample/settings.ini"
    args=(--settings "$sample/settings.ini")
    echo "サンプルデータ: $sample/DATA/"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "画面（DISPLAY）がありません。デスクトップで実行するか、xvfb-run ./run.sh としてください。" >&2
    echo "No display found: run this on a desktop, or under xvfb-run." >&2
    exit 1
fi
exec build/release/bin/seiran "${args[@]}"
