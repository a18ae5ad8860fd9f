#!/bin/sh
# The media control on a minute of MIDI music: for `quaverly-play
# --media-control` the time from exec to the first audio (median of 5), the
# CPU seconds per minute and the peak resident memory, with libVLC's file
# output; beside it, in the same run, cvlc and fluidsynth (when installed;
# its file driver) on the same file and soundfont. Then the resident memory of the idle
# player before any media-control row, and whether libVLC is mapped in it.
# QUAVERLY_BENCH_SECONDS shortens the minute.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/bench/common.sh"
bench_work media
bench_needs quaverly-play
${CXX:-c++} -std=c++20 -O2 "$here/bench/bench-audio-player-run.cpp" -o "$work/run"
${CXX:-c++} -std=c++20 -O2 "$here/bench/bench-media-control-first-audio.cpp" -o "$work/first"
python3 "$here/tests/nsplay/make-midi.py" "$work/a.mid" "$seconds"
soundfont=$(ls /usr/share/sounds/sf2/*.sf2 2>/dev/null | head -n 1)
# cvlc refuses to run as root: then every player runs as nobody, in a folder
# everyone may write.
chmod 777 "$work"
as=""
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null 2>&1; then
    as="setpriv --reuid=nobody --regid=nogroup --clear-groups"
fi
export HOME="$work"
results="$work/results"
: > "$results"
run() { # name, then the command
    name=$1
    shift
    printf '  %-26s' "$name:"
    "$work/run" "$name" "$seconds" "$results" $as "$@"
}

echo "-- a.mid ($seconds s, soundfont ${soundfont:-none}; target: quaverly-play below cvlc in CPU and memory)"
first=$("$work/first" 5 "$work/q.wav" $as env "QUAVERLY_VLC_ARGS=--aout=afile --audiofile-file=$work/q.wav" \
    "$build/bin/quaverly-play" --media-control "$work/a.mid")
echo "  quaverly-play, exec to first audio (median of 5): $first ms"
QUAVERLY_VLC_ARGS="--aout=afile --audiofile-file=$work/q.wav" \
    run "quaverly-play" "$build/bin/quaverly-play" --media-control "$work/a.mid"
if command -v cvlc >/dev/null 2>&1; then
    first=$("$work/first" 5 "$work/c.wav" $as cvlc -q --play-and-exit --aout=afile \
        "--audiofile-file=$work/c.wav" "$work/a.mid")
    echo "  cvlc, exec to first audio (median of 5): $first ms"
    run "cvlc --play-and-exit" cvlc -q --play-and-exit --no-video --aout=afile "--audiofile-file=$work/c.wav" \
        "$work/a.mid"
else
    echo "  cvlc: not installed"
fi
if command -v fluidsynth >/dev/null 2>&1 && [ -n "$soundfont" ]; then
    # Debian's fluidsynth has no null driver: its file driver, paced as
    # libVLC's file output is.
    run "fluidsynth -a file" fluidsynth -q -n -i -a file -o "audio.file.name=$work/f.wav" "$soundfont" \
        "$work/a.mid"
else
    echo "  fluidsynth: not installed"
fi
awk 'NR == 1 { cpu = $(NF-1); mem = $NF; next }
     { name = $1; for (i = 2; i < NF - 1; i++) name = name " " $i
       printf "  quaverly-play / %-22s CPU %.2f, peak memory %.2f\n", name ":", \
              ($(NF-1) > 0 ? cpu / $(NF-1) : 0), ($NF > 0 ? mem / $NF : 0) }' "$results"

# The idle player: started from an empty program folder, resident memory
# once its window shows, and whether libVLC is in its address space.
if [ -x "$build/bin/quaverly" ] && [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null 2>&1; then
    mkdir -p "$work/program" "$work/runtime" "$work/registry"
    chmod 700 "$work/runtime"
    cp "$build/bin/quaverly" "$work/program/quaverly"
    XDG_RUNTIME_DIR="$work/runtime" QUAVERLY_REGISTRY_DIR="$work/registry" QT_QPA_PLATFORM=xcb \
        "$work/program/quaverly" >/dev/null 2>&1 &
    pid=$!
    if timeout 20 xdotool search --sync --onlyvisible --pid "$pid" >/dev/null 2>&1; then
        rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
        if grep -q 'libvlc' "/proc/$pid/maps"; then mapped=yes; else mapped=no; fi
        echo "-- idle quaverly before any media-control row: resident $(awk -v k="$rss" 'BEGIN { printf "%.1f", k / 1024 }') MB, libVLC mapped: $mapped (target: no)"
    else
        echo "-- idle quaverly: its window did not show within 20 s"
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
else
    echo "-- idle quaverly: not measured (no quaverly build, X display or xdotool)"
fi
