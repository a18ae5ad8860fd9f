#!/bin/sh
# CPU and memory of the audio library playing a minute of a 128 kbit/s MP3
# and of an Ogg Vorbis file with a 512-point FFT every 25 ms (SDL's dummy
# driver), beside the peer players that are installed, in the same run.
# QUAVERLY_BENCH_SECONDS shortens the minute for a quick look.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVERLY_BUILD:-$here/build}
seconds=${QUAVERLY_BENCH_SECONDS:-60}
work=$(mktemp -d /tmp/quaverly-bench-audio.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM
if [ ! -f "$build/bin/libbass.so" ]; then
    echo "libbass.so not built in $build/bin" >&2
    exit 1
fi
${CXX:-c++} -std=c++20 -O2 -I"$here" "$here/bench/bench-audio-lib.cpp" -ldl -o "$work/bench-audio-lib"

quiet() { "$@" >/dev/null 2>&1; }
quiet ffmpeg -nostdin -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a libmp3lame -b:a 128k "$work/a.mp3"
quiet ffmpeg -nostdin -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a libvorbis -q:a 4 "$work/a.ogg"

export SDL_AUDIODRIVER=dummy
for f in a.mp3 a.ogg; do
    echo "-- $f ($seconds s)"
    printf '  libbass.so:  '
    "$work/bench-audio-lib" lib "$build/bin" "$work/$f" "$seconds"
    if command -v audacious >/dev/null 2>&1; then
        # audacious reads its output choice from a private configuration.
        mkdir -p "$work/home/.config/audacious"
        printf '[audacious]\noutput_plugin=sdlout\n' > "$work/home/.config/audacious/config"
        printf '  audacious:   '
        HOME="$work/home" "$work/bench-audio-lib" peer "$seconds" audacious -H -q "$work/$f"
    fi
    if command -v cvlc >/dev/null 2>&1; then
        printf '  cvlc:        '
        "$work/bench-audio-lib" peer "$seconds" cvlc -q --play-and-exit --aout=adummy "$work/$f"
    fi
    if command -v ffplay >/dev/null 2>&1; then
        printf '  ffplay:      '
        "$work/bench-audio-lib" peer "$seconds" ffplay -v quiet -nodisp -autoexit "$work/$f"
    fi
    if command -v mpv >/dev/null 2>&1; then
        printf '  mpv:         '
        "$work/bench-audio-lib" peer "$seconds" mpv --really-quiet --no-video --ao=null "$work/$f"
    fi
done
echo "(targets: at most 0.15 CPU s per minute with the FFT, peak memory below 16 MB, open under 5 ms)"
