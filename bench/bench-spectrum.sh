#!/bin/sh
# The spectrum display: the median time to compose one frame in each mode;
# then the CPU seconds per minute and peak memory of `quaverly` playing a
# minute of a 128 kbit/s MP3 in the audio-engine view with the display
# drawing 40 frames a second (SDL's dummy driver), on a private Xvfb whose
# own CPU time is printed beside it, and the installed GUI players with
# their spectrum analysers showing, measured the same way.
# QUAVERLY_BENCH_SECONDS shortens the minute.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/bench/common.sh"
bench_work spectrum
. "$here/scripts/xsession.sh"
cleanup() {
    quaverly_x_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT  # then the EXIT trap cleans up; a script must not go on
trap 'exit 143' TERM

${CXX:-c++} -std=c++20 -O2 -fPIC -I"$here" $(pkg-config --cflags Qt6Gui) "$here/bench/bench-spectrum-frame.cpp" \
    "$here/ui/qt/SpectrumFrame.cpp" "$here/ui/qt/SpectrumRings.cpp" "$here/ui/SpectrumScales.cpp" \
    $(pkg-config --libs Qt6Gui) -o "$work/frame"
QT_QPA_PLATFORM=offscreen "$work/frame"

bench_needs quaverly libbass.so
${CXX:-c++} -std=c++20 -O2 "$here/bench/bench-audio-player-run.cpp" -o "$work/run"
ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a libmp3lame -b:a 128k "$work/a.mp3"
mkdir -p "$work/program" "$work/home"
cp "$build/bin/quaverly" "$build/bin/libbass.so" "$work/program/"
printf '\r\n1213152208\r\n3\r\n' > "$work/program/quaverly.ini"   # solid bars

QUAVERLY_NO_WM=1 quaverly_x_start
export SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM
xcpu() { # CPU seconds of the X server so far
    awk '{ printf "%.2f", ($14 + $15) / 100 }' "/proc/$quaverly_xvfb_pid/stat"
}
results="$work/results"
: > "$results"
run() { # name, then the command
    name=$1
    shift
    before=$(xcpu)
    printf '  %-26s' "$name:"
    "$work/run" "$name" "$seconds" "$results" "$@"
    after=$(xcpu)
    awk -v a="$before" -v b="$after" -v s="$seconds" \
        'BEGIN { printf "  %-26s X server %.2f CPU s per minute\n", "", (b - a) * 60 / s }'
}
echo "-- a.mp3 ($seconds s; target: quaverly below 0.56 CPU s per minute and below every peer in memory)"
HOME="$work/home" run quaverly "$work/program/quaverly" "$work/a.mp3"
if command -v audacious >/dev/null 2>&1; then
    # The classic skinned interface with its analyser, SDL output.
    if audacious_home "$work/home" skins; then
        printf '[skins]\nvis_type=0\nplayer_visible=TRUE\n' >> "$work/home/.config/audacious/config"
        HOME="$work/home" run "audacious (skinned)" audacious -q "$work/a.mp3"
    else
        echo "  audacious:                 not run (no plugin registry written)"
    fi
fi
if command -v qmmp >/dev/null 2>&1; then
    # Its skinned interface shows the analyser by default; the null output
    # keeps time. It does not end by itself: it is stopped at the audio's end
    # (shown as not ending normally).
    mkdir -p "$work/qmmp-home/.qmmp"
    printf '[Output]\ncurrent_plugin=null\n' > "$work/qmmp-home/.qmmp/qmmprc"
    HOME="$work/qmmp-home" run "qmmp (skinned)" timeout -s TERM "$seconds" qmmp "$work/a.mp3"
fi
# Ratios: quaverly's figure over each peer's (below 1 is better).
awk 'NR == 1 { cpu = $(NF-1); mem = $NF; next }
     { name = $1; for (i = 2; i < NF - 1; i++) name = name " " $i
       printf "  quaverly / %-20s CPU %.2f, peak memory %.2f\n", name ":", \
              ($(NF-1) > 0 ? cpu / $(NF-1) : 0), ($NF > 0 ? mem / $NF : 0) }' "$results"
