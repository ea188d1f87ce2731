#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a desktop gets from it: exactly the
# files of installed-files, each icon at its stated size, a desktop entry and a software
# listing that validate, and a manual page that renders without a warning.
# Usage: check-install.sh <build dir>
set -euo pipefail
expected=$(realpath "$(dirname "$0")/installed-files")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
cd "$prefix"

# Missing files and stray ones both show in the difference.
diff "$expected" <(find . -type f -printf '%P\n' | LC_ALL=C sort)
[ -x bin/lumetra ] || { echo "bin/lumetra is not executable"; exit 1; }

for icon in share/icons/hicolor/*x*/apps/*.png; do
    size=${icon#share/icons/hicolor/}
    size=${size%%x*}
    file -b "$icon" | grep -q "^PNG image data, $size x $size," \
        || { echo "$icon: $(file -b "$icon")"; exit 1; }
done

# The checkers print nothing for a clean file but warnings for a file they still pass.
quiet() {
    local report
    report=$("$@" 2>&1) && [ -z "$report" ] && return
    echo "$* said: $report"
    return 1
}
id=example.quillfeather.Lumetra
quiet desktop-file-validate share/applications/$id.desktop
appstreamcli validate --no-net share/metainfo/$id.metainfo.xml
quiet groff -man -Tutf8 -ww -z <(zcat share/man/man1/lumetra.1.gz)
