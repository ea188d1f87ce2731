#!/usr/bin/env bash
# Installs what is missing, builds Lumetra with its tests and benchmarks, and runs every test.
#   LUMETRA_SANITIZE=ON   build with AddressSanitizer and UndefinedBehaviorSanitizer
#   LUMETRA_WERROR=ON     treat compiler warnings as errors
#   LUMETRA_REQUIRE_JACK  fail, rather than skip, the tests that need a JACK server
# Each test that needs a JACK server starts a jackd of its own on the dummy driver.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

sanitize=${LUMETRA_SANITIZE:-OFF}
build=build/test
[ "$sanitize" = ON ] && build=build/test-sanitize
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLUMETRA_SANITIZE="$sanitize" -DLUMETRA_WERROR="${LUMETRA_WERROR:-OFF}"
cmake --build "$build"
# Test output, with what RtMidi and JACK print, goes to the log; failures are shown.
ctest --test-dir "$build" --output-on-failure --output-log "$build/ctest.log" -j 2
