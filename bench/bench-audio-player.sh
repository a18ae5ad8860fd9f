#!/bin/sh
# The audio player: the median cost of one band computation and one frame
# write, then the CPU seconds and peak memory of `quaverly-play --bands` on a
# minute of a 128 kbit/s MP3 (SDL's dummy driver), beside the audio library
# alone and the installed peer players in the same run, with the ratios.
# QUAVERLY_BENCH_SECONDS shortens the minute.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/bench/common.sh"
bench_work player
bench_needs quaverly-play libbass.so
${CXX:-c++} -std=c++20 -O2 -I"$here" "$here/bench/bench-audio-player.cpp" "$here/audio/Bands.cpp" \
    "$here/audio/VisFrame.cpp" -o "$work/bench-audio-player"
"$work/bench-audio-player"

${CXX:-c++} -std=c++20 -O2 "$here/bench/bench-audio-player-run.cpp" -o "$work/run"
# The audio library alone (its own benchmark program), for its share.
${CXX:-c++} -std=c++20 -O2 -I"$here" "$here/bench/bench-audio-lib.cpp" -ldl -o "$work/lib"
ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a libmp3lame -b:a 128k "$work/a.mp3"
export SDL_AUDIODRIVER=dummy
results="$work/results"
: > "$results"
run() { # name, then the command
    name=$1
    shift
    printf '  %-24s' "$name:"
    "$work/run" "$name" "$seconds" "$results" "$@"
}
echo "-- a.mp3 ($seconds s; target: quaverly-play at most 0.18 CPU s per minute, below 17 MB, below every peer)"
run quaverly-play "$build/bin/quaverly-play" --bands "$work/a.mp3"
printf '  %-24s' "libbass.so alone:"
"$work/lib" lib "$build/bin" "$work/a.mp3" "$seconds" || echo "not run"
echo "-- the start of a local item in the audio library, from the open of its file (target: under 50 ms from the double click)"
"$work/lib" start "$build/bin" "$work/a.mp3" 10 || echo "  not run"
if command -v audacious >/dev/null 2>&1; then
    if audacious_home "$work/home"; then
        HOME="$work/home" run "audacious -H" audacious -H -q "$work/a.mp3"
    else
        echo "  audacious -H:           not run (no plugin registry written)"
    fi
fi
if command -v cvlc >/dev/null 2>&1; then
    # VLC refuses to run as root: then it runs as nobody, with a home of its own.
    if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null 2>&1; then
        mkdir -p "$work/vlc-home"
        chmod 755 "$work"
        chmod 644 "$work/a.mp3"
        chmod 777 "$work/vlc-home"
        HOME="$work/vlc-home" run cvlc setpriv --reuid=nobody --regid=nogroup --clear-groups \
            cvlc -q --play-and-exit --aout=adummy "$work/a.mp3"
    else
        run cvlc cvlc -q --play-and-exit --aout=adummy "$work/a.mp3"
    fi
fi
if command -v ffplay >/dev/null 2>&1; then
    run "ffplay -nodisp" ffplay -loglevel quiet -nodisp -autoexit "$work/a.mp3"
fi
if command -v mpv >/dev/null 2>&1; then
    run mpv mpv --really-quiet --no-video --ao=null "$work/a.mp3"
fi
# Ratios: quaverly-play's figure over each peer's (below 1 is better).
awk 'NR == 1 { cpu = $(NF-1); mem = $NF; next }
     { name = $1; for (i = 2; i < NF - 1; i++) name = name " " $i
       printf "  quaverly-play / %-14s CPU %.2f, peak memory %.2f\n", name ":", \
              ($(NF-1) > 0 ? cpu / $(NF-1) : 0), ($NF > 0 ? mem / $NF : 0) }' "$results"
