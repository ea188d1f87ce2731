#!/usr/bin/env bash
# Installs what is missing, builds Lumetra with its tests and benchmarks, and runs every test.
#   LUMETRA_SANITIZE=ON   build with AddressSanitizer and UndefinedBehaviorSanitizer
#   LUMETRA_WERROR=ON     treat compiler warnings as errors
#   LUMETRA_REQUIRE_JACK  fail, rather than skip, the tests that need a JACK server
# Without a running JACK server it starts one of its own on the dummy driver for the tests
# that need one, and stops exactly that one at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

own_jack=
stop_own_jack() {
    if [ -n "$own_jack" ]; then
        kill "$own_jack" 2>/dev/null || true
        wait "$own_jack" 2>/dev/null || true
    fi
}
trap stop_own_jack EXIT
if [ "$(jack_wait -c 2>/dev/null)" != running ]; then
    export JACK_DEFAULT_SERVER="lumetra-tests-$$"
    mkdir -p build
    jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -r 48000 -p 256 >build/jackd-tests.log 2>&1 &
    own_jack=$!
    jack_wait -s "$JACK_DEFAULT_SERVER" -w -t 10 >/dev/null \
        || echo "test.sh: no JACK server could be started; the JACK tests skip" >&2
fi
sanitize=${LUMETRA_SANITIZE:-OFF}
build=build/test
[ "$sanitize" = ON ] && build=build/test-sanitize
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLUMETRA_SANITIZE="$sanitize" -DLUMETRA_WERROR="${LUMETRA_WERROR:-OFF}"
cmake --build "$build"
# Test output, with what RtMidi and JACK print, goes to the log; failures are shown.
ctest --test-dir "$build" --output-on-failure --output-log "$build/ctest.log" -j 2
