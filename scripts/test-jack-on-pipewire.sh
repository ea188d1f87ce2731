#!/usr/bin/env bash
# Runs the JACK tests of a build folder (build/test unless named) on PipeWire's JACK library,
# against a headless PipeWire of their own that is stopped at the end. A test PipeWire
# cannot hold skips with its reason ("on PipeWire: ..."); the reasons are listed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/test}
log=$build/ctest-pipewire.log

eval "$(scripts/pipewire-headless.sh start)"
trap 'scripts/pipewire-headless.sh stop' EXIT
export LUMETRA_REQUIRE_JACK=1
# In a sanitized build the leak checker would fail every program for the library's leaks.
export LSAN_OPTIONS="suppressions=$PWD/scripts/pipewire-lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
status=0
# Verbose into the log alone, since the reasons of the skipped tests are only in their output.
ctest --test-dir "$build" --tests-regex '^Jack' --verbose >"$log" 2>&1 || status=$?
[ "$status" -eq 0 ] || cat "$log"
grep -E '^[0-9]+/[0-9]+ Test|tests passed' "$log"
echo "Marked on PipeWire:"
grep -o 'on PipeWire: .*' "$log" | sort | uniq -c
exit "$status"
