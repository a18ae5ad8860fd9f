#!/bin/sh
# Files per second of the file information readers against TagLib, on a
# corpus of 10 000 generated files (MP3, Ogg, WMA and WAV mixed), warm cache,
# one process each. The program is compiled here with optimisation from the
# reader sources, whatever the build type of the main build.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
count=${QUAVERLY_BENCH_FILES:-10000}
work=$(mktemp -d /tmp/quaverly-bench-mediainfo.XXXXXX)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT  # then the EXIT trap cleans up; a script must not go on
trap 'exit 143' TERM

${CXX:-c++} -std=c++20 -O2 -DNDEBUG -I"$here" $(pkg-config --cflags taglib) \
    "$here/bench/bench-mediainfo.cpp" "$here/audio/StreamInfo.cpp" "$here"/mediainfo/*.cpp \
    $(pkg-config --libs taglib) -o "$work/bench-mediainfo"

base=$work/base
mkdir -p "$base"
quiet() { "$@" >/dev/null 2>&1; }
quiet sox -n -r 44100 -c 2 -b 16 "$work/s44.wav" synth 3 sine 440
quiet sox -n -r 22050 -c 1 -b 16 "$work/m22.wav" synth 3 sine 440
quiet lame --quiet -b 128 --add-id3v2 --tt "Bench title" --ta "Bench artist" --tl "Album" --ty 2024 --tn 3/12 \
    "$work/s44.wav" "$base/cbr.mp3"
quiet lame --quiet -V 5 --tt "VBR title" "$work/m22.wav" "$base/vbr.mp3"
quiet oggenc -Q -q 2 -t "Ogg title" -a "Ogg artist" -N 4 -c "COMMENT=words" -o "$base/enc.ogg" "$work/s44.wav"
quiet ffmpeg -nostdin -y -i "$work/m22.wav" -c:a libvorbis -q:a 1 -metadata title="FF Ogg" "$base/ff.ogg"
quiet ffmpeg -nostdin -y -i "$work/s44.wav" -c:a wmav2 -b:a 128k -metadata title="Wma title" \
    -metadata artist="Wma artist" -metadata WM/Year=2020 "$base/a.wma"
quiet ffmpeg -nostdin -y -i "$work/m22.wav" -c:a wmav2 -b:a 32k -metadata title="Wma mono" "$base/b.wma"
cp "$work/s44.wav" "$base/s44.wav"
cp "$work/m22.wav" "$base/m22.wav"
echo "base files: $(ls "$base" | tr '\n' ' ')"
"$work/bench-mediainfo" "$base" "$work/corpus" "$count"
