#!/bin/sh
# The audio player: the median cost of one band computation and one frame
# write, then the CPU seconds and peak memory of `quaverly-play --bands` on a
# minute of a 128 kbit/s MP3 (SDL's dummy driver), beside the installed peer
# players in the same run. QUAVERLY_BENCH_SECONDS shortens the minute.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVERLY_BUILD:-$here/build}
seconds=${QUAVERLY_BENCH_SECONDS:-60}
work=$(mktemp -d /tmp/quaverly-bench-player.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM
if [ ! -x "$build/bin/quaverly-play" ] || [ ! -f "$build/bin/libbass.so" ]; then
    echo "quaverly-play or libbass.so not built in $build/bin" >&2
    exit 1
fi
${CXX:-c++} -std=c++20 -O2 -I"$here" "$here/bench/bench-audio-player.cpp" "$here/audio/Bands.cpp" \
    "$here/audio/VisFrame.cpp" -o "$work/bench-audio-player"
"$work/bench-audio-player"

# The peer runner of the audio library's benchmark measures a child's CPU
# time and peak memory.
${CXX:-c++} -std=c++20 -O2 -I"$here" "$here/bench/bench-audio-lib.cpp" -ldl -o "$work/runner"
ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a libmp3lame -b:a 128k "$work/a.mp3"
export SDL_AUDIODRIVER=dummy
echo "-- a.mp3 ($seconds s; target: quaverly-play at most 0.18 CPU s per minute, below 17 MB)"
printf '  quaverly-play --bands: '
"$work/runner" peer "$seconds" sh -c 'exec "$0" --bands "$1" >/dev/null 2>&1' "$build/bin/quaverly-play" "$work/a.mp3"
if command -v audacious >/dev/null 2>&1; then
    mkdir -p "$work/home/.config/audacious"
    printf '[audacious]\noutput_plugin=sdlout\n' > "$work/home/.config/audacious/config"
    printf '  audacious -H:          '
    HOME="$work/home" "$work/runner" peer "$seconds" audacious -H -q "$work/a.mp3"
fi
if command -v cvlc >/dev/null 2>&1; then
    printf '  cvlc:                  '
    "$work/runner" peer "$seconds" cvlc -q --play-and-exit --aout=adummy "$work/a.mp3"
fi
if command -v ffplay >/dev/null 2>&1; then
    printf '  ffplay -nodisp:        '
    "$work/runner" peer "$seconds" ffplay -loglevel quiet -nodisp -autoexit "$work/a.mp3"
fi
if command -v mpv >/dev/null 2>&1; then
    printf '  mpv:                   '
    "$work/runner" peer "$seconds" mpv --really-quiet --no-video --ao=null "$work/a.mp3"
fi
