#!/usr/bin/env bash
# Installs what Lumetra needs to build, run and test on Debian 12, and the packages named as
# arguments (what CI alone needs). Root, or sudo otherwise.
#   --pipewire   also PipeWire and its JACK library, to run the JACK tests on them
#                (scripts/test-jack-on-pipewire.sh); left out otherwise, since the pipewire
#                package sets a PipeWire up for every user's desktop session
set -euo pipefail

extra=()
for argument in "$@"; do
    case $argument in
    --pipewire) extra+=(pipewire pipewire-bin pipewire-jack) ;;
    *) extra+=("$argument") ;;
    esac
done

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev fonts-dejavu-core
    librtmidi-dev libjack-jackd2-dev jackd2 zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth
    dpkg-dev file desktop-file-utils appstream groff-base
    "${extra[@]}"
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
