#!/usr/bin/env bash
# Installs what is missing, builds Lumetra and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BUILD_BENCH=OFF
cmake --build build/release --target lumetra

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Lumetra under xvfb-run, on a virtual display."
    exec xvfb-run -a build/release/src/lumetra
fi
exec build/release/src/lumetra
