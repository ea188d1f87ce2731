#!/usr/bin/env bash
# A day of recording at 10,000 msg/s, compressed in time: lumetra_loadgen sends MESSAGES
# numbered messages at RATE msg/s into `lumetra capture --format capture`, which records them
# with a new file every ROTATE_MB megabytes on a JACK server of its own (dummy driver, PERIOD
# frames). Resident memory of the recorder is sampled every 10 s; at the end
# `lumetra_loadgen verify` reads the set of files and must find every message.
#   MESSAGES=900000000 RATE=600000 PERIOD=128 ROTATE_MB=1000 scripts/soak-recording.sh
# Shorter runs for a shared machine: MESSAGES=6000000 RATE=200000 ROTATE_MB=10.
# BUILD (build/test by default) holds lumetra and lumetra_loadgen; OUT the files and samples.
set -euo pipefail
cd "$(dirname "$0")/.."

messages=${MESSAGES:-900000000}
rate=${RATE:-600000}
period=${PERIOD:-128}
rotate_mb=${ROTATE_MB:-1000}
build=${BUILD:-build/test}
out=${OUT:-build/soak}
server="lumetra-soak-$$"
seconds=$(( (messages + rate - 1) / rate ))

mkdir -p "$out"
rm -f "$out"/soak_*.lmc "$out/memory.tsv"
# Realtime where the machine allows it: without, the server's own cycles come late on a busy
# machine, and what a late cycle loses says nothing of the recorder.
jackd -n "$server" -R -d dummy -r 48000 -p "$period" >"$out/jackd.log" 2>&1 &
jack=$!
recorder=
stop_all() {
    [ -n "$recorder" ] && kill "$recorder" 2>/dev/null || true
    kill "$jack" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap stop_all EXIT
export JACK_DEFAULT_SERVER="$server"
jack_wait -s "$server" -w -t 10 >/dev/null

"$build/tools/lumetra_loadgen" send --rate "$rate" --seconds "$(( seconds ))" \
    --client-name soak --wait-for-port 30 >"$out/send.txt" &
sender=$!
jack_wait -s "$server" -w -t 10 >/dev/null
# The sender's output appears once its client is up; the recorder then takes it in.
until jack_lsp -s "$server" 2>/dev/null | grep -q '^soak:'; do sleep 0.2; done
"$build/src/lumetra" capture --in soak --format capture -o "$out/soak.lmc" \
    --rotate "size:$rotate_mb" &
recorder=$!

printf 'seconds\trss_kib\tcpu_ticks\n' >"$out/memory.tsv"
start=$SECONDS
while kill -0 "$sender" 2>/dev/null; do
    if [ -r "/proc/$recorder/status" ]; then
        rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$recorder/status")
        ticks=$(awk '{ print $14 + $15 }' "/proc/$recorder/stat")
        printf '%s\t%s\t%s\n' "$(( SECONDS - start ))" "$rss" "$ticks" >>"$out/memory.tsv"
    fi
    sleep 10
done
wait "$sender" || echo "soak: the sender did not send everything on time" >&2
kill -INT "$recorder"
wait "$recorder" || true
recorder=

cat "$out/send.txt"
echo "resident memory (KiB), sampled every 10 s:"
cut -f2 "$out/memory.tsv" | tail -n +2 | tr '\n' ' '
echo
ls -l "$out"/soak_*.lmc
"$build/tools/lumetra_loadgen" verify "$out"/soak_*.lmc --expect "$(awk '/^sent:/ { print $2 }' "$out/send.txt")"
