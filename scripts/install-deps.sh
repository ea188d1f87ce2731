#!/usr/bin/env bash
# Installs what Lumetra needs to build, run and test on Debian 12, and the packages named as
# arguments (what CI alone needs). Root, or sudo otherwise.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev fonts-dejavu-core
    librtmidi-dev libjack-jackd2-dev jackd2 zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth
    dpkg-dev file desktop-file-utils appstream groff-base
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
# jackd2 asks about real-time priority unless nobody is there to answer.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
