#!/usr/bin/env bash
# Installs what is missing, builds Lumetra for release and makes its Debian package:
# build/package/lumetra_<version>_<arch>.deb. Install that with
#   sudo apt-get install ./build/package/lumetra_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=build/package
# Debian's hardening flags, as its own packages are built: fortified libc calls, a stack
# protector, and relocations resolved at start and then made read-only.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" --target lumetra
# One package in the folder, so that lumetra_*.deb names this one after a version change.
rm -f "$build"/lumetra_*.deb
(cd "$build" && cpack -G DEB)
