#!/usr/bin/env bash
# A PipeWire of the tests' own, for running JACK programs on PipeWire's JACK library: no
# session bus, no session manager, no sound card; its dummy driver runs the graph.
#
#   eval "$(scripts/pipewire-headless.sh start)"   starts one; prints what its clients need
#   scripts/pipewire-headless.sh stop              stops the one started above
#
# Its socket lives in a folder of its own under /tmp, so that it never meets the PipeWire of
# a desktop session, nor a desktop's clients this one. `start` prints the variables that lead
# JACK clients to it (PIPEWIRE_RUNTIME_DIR, the library path of PipeWire's libjack) and
# LUMETRA_PIPEWIRE_DIR, which `stop` reads to stop exactly that daemon.
set -euo pipefail

stock_conf=/usr/share/pipewire/pipewire.conf
pw_jack_libs=$(dirname "$(find /usr/lib* -path '*pipewire-0.3/jack/libjack.so.0' -print -quit)")

start() {
    local dir
    dir=$(mktemp -d /tmp/lumetra-pipewire.XXXXXX)
    mkdir -p "$dir/conf"
    # The stock list of modules, libpipewire-module-access among them: without it a JACK
    # client's jack_client_open never returns.
    sed -e 's/^\(\s*\)#\?support\.dbus\s*=.*/\1support.dbus = false/' \
        "$stock_conf" >"$dir/conf/pipewire.conf"
    grep -q 'support.dbus = false' "$dir/conf/pipewire.conf" \
        || { echo "pipewire-headless: cannot turn off D-Bus in $stock_conf" >&2; exit 1; }
    # No session bus may be reached: a desktop's own would pull this daemon into its session.
    env -u DBUS_SESSION_BUS_ADDRESS PIPEWIRE_RUNTIME_DIR="$dir" XDG_RUNTIME_DIR="$dir" \
        PIPEWIRE_CONFIG_DIR="$dir/conf" \
        setsid pipewire -c "$dir/conf/pipewire.conf" >"$dir/pipewire.log" 2>&1 </dev/null &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do
        [ -S "$dir/pipewire-0" ] && break
        kill -0 "$(cat "$dir/pid")" 2>/dev/null \
            || { cat "$dir/pipewire.log" >&2; echo "pipewire-headless: PipeWire did not start" >&2; exit 1; }
        sleep 0.1
    done
    [ -S "$dir/pipewire-0" ] || { echo "pipewire-headless: no socket in $dir" >&2; exit 1; }
    echo "export LUMETRA_PIPEWIRE_DIR='$dir' PIPEWIRE_RUNTIME_DIR='$dir'"
    echo "export LD_LIBRARY_PATH='$pw_jack_libs'\${LD_LIBRARY_PATH:+:\$LD_LIBRARY_PATH}"
    echo "export LUMETRA_JACK_SERVER=pipewire"
    # PipeWire's libjack takes a server name as the name of a remote it does not have.
    echo "unset JACK_DEFAULT_SERVER"
}

stop() {
    local dir=${LUMETRA_PIPEWIRE_DIR:-}
    case $dir in /tmp/lumetra-pipewire.*) ;; *) echo "pipewire-headless: none started" >&2; exit 1 ;; esac
    [ -f "$dir/pid" ] || exit 0
    local pid
    pid=$(cat "$dir/pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    rm -rf "$dir"
}

case ${1:-} in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
