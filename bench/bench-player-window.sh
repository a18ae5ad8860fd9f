#!/bin/sh
# The player in its real window: CPU seconds and peak memory of `quaverly`
# playing a minute of a 128 kbit/s MP3 in the audio-engine view (a single-file
# start, which closes the window at the item's end; SDL's dummy output), the
# display server's CPU over the same minute, and the wake-ups per second of
# a player that sits stopped. QUAVERLY_BENCH_SECONDS shortens the minute.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/bench/common.sh"
bench_work window
bench_needs quaverly libbass.so libbasswma.so
for f in quaverly libbass.so libbasswma.so; do cp "$build/bin/$f" "$work/"; done
${CXX:-c++} -std=c++20 -O2 "$here/bench/bench-audio-player-run.cpp" -o "$work/run"
ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a libmp3lame -b:a 128k "$work/a.mp3"
export SDL_AUDIODRIVER=dummy QUAVERLY_REGISTRY_DIR="$work/registry"
mkdir -p "$work/registry"

# CPU seconds (user + system) of a process so far, from /proc.
cpu_of() {
    awk -v hz="$(getconf CLK_TCK)" '{ print ($14 + $15) / hz }' "/proc/$1/stat" 2>/dev/null || echo 0
}
xvfb=$(pgrep -f "Xvfb $DISPLAY( |\$)" | head -1 || true)
x_before=$( [ -n "$xvfb" ] && cpu_of "$xvfb" || echo 0)

echo "-- a.mp3 in the audio-engine view ($seconds s; targets: at most 0.22 CPU s per minute, less memory than every peer)"
printf '  %-24s' "quaverly:"
"$work/run" quaverly "$seconds" "$work/results" "$work/quaverly" "$work/a.mp3"
if [ -n "$xvfb" ]; then
    x_after=$(cpu_of "$xvfb")
    echo "  display server: $(echo "$x_before $x_after $seconds" | awk '{ printf "%.2f CPU s per minute", ($2 - $1) * 60 / $3 }')"
fi

# Stopped: the list view with nothing playing. Every thread's context
# switches over ten seconds, after three to settle.
echo "-- stopped (target: at most one wake-up a second, the schedule's timer)"
"$work/quaverly" >/dev/null 2>&1 &
pid=$!
sleep 3
switches() {
    cat /proc/"$pid"/task/*/status 2>/dev/null |
        awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n + 0 }'
}
before=$(switches)
sleep 10
after=$(switches)
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "  wake-ups: $(echo "$before $after" | awk '{ printf "%.1f a second", ($2 - $1) / 10 }')"
