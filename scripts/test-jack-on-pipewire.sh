#!/usr/bin/env bash
# Runs the JACK tests of a build folder (build/test unless named) on PipeWire's JACK library,
# against a headless PipeWire of their own that is stopped at the end. A test PipeWire
# cannot hold says so in its skip message ("on PipeWire: ...").
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/test}

eval "$(scripts/pipewire-headless.sh start)"
trap 'scripts/pipewire-headless.sh stop' EXIT
export LUMETRA_REQUIRE_JACK=1
ctest --test-dir "$build" --tests-regex '^Jack' --output-on-failure \
    --output-log "$build/ctest-pipewire.log"
# Which tests were marked, and why: the skip messages stand in the log.
grep -o 'Skipped.*on PipeWire: .*' "$build/ctest-pipewire.log" | sort | uniq -c || true
