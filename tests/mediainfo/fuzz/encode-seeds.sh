#!/bin/sh
# Adds files made by the real encoders to the fuzzers' seed corpus in $1
# (one folder per reader). Each file is short, so the fuzzers start from
# real headers without slow inputs. A missing encoder only leaves its files
# out.
set -u
out=$1
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/MpegInfo" "$out/Id3v1Tag" "$out/Id3v2Tag" "$out/OggInfo" "$out/WmaInfo" "$out/WavInfo"
have() { command -v "$1" >/dev/null 2>&1; }
quiet() { "$@" >/dev/null 2>&1; }

if have sox; then
    for rate in 8000 22050 44100; do
        quiet sox -n -r $rate -c 2 -b 16 "$work/tone$rate.wav" synth 0.3 sine 440
    done
    quiet sox -n -r 11025 -c 1 -b 8 "$out/WavInfo/sox-mono8.wav" synth 0.1 sine 440
    head -c 44 "$work/tone44100.wav" >"$out/WavInfo/sox-stereo16.wav" 2>/dev/null
fi

if have lame && [ -f "$work/tone44100.wav" ]; then
    # MPEG 1, 2 and 2.5 sample rates; CBR, VBR with a Xing/LAME header, ABR.
    for rate in 8000 22050 44100; do
        quiet lame --quiet -b 32 "$work/tone$rate.wav" "$out/MpegInfo/lame-cbr-$rate.mp3"
        quiet lame --quiet -V 6 "$work/tone$rate.wav" "$out/MpegInfo/lame-vbr-$rate.mp3"
    done
    quiet lame --quiet --abr 64 "$work/tone22050.wav" "$out/MpegInfo/lame-abr.mp3"
    quiet lame --quiet -b 32 --add-id3v2 --tt "Title" --ta "Artist" --tl "Album" --ty 2001 --tn 3/12 \
        --tg Rock --tc "Comment" "$work/tone8000.wav" "$work/tagged.mp3"
    if [ -f "$work/tagged.mp3" ]; then
        cp "$work/tagged.mp3" "$out/MpegInfo/lame-tagged.mp3"
        head -c 300 "$work/tagged.mp3" >"$out/Id3v2Tag/lame-id3v2.bin"
        tail -c 128 "$work/tagged.mp3" >"$out/Id3v1Tag/lame-id3v1.bin"
    fi
fi
if have twolame && [ -f "$work/tone44100.wav" ]; then
    quiet twolame --quiet -b 64 "$work/tone44100.wav" "$out/MpegInfo/twolame.mp2"
fi
if have ffmpeg; then
    gen="ffmpeg -nostdin -y -loglevel error -f lavfi -i sine=frequency=440:sample_rate=22050:duration=0.3"
    quiet $gen -ac 1 -c:a mp2 -b:a 64k "$out/MpegInfo/ffmpeg.mp2"
    quiet $gen -ac 2 -c:a libvorbis -q:a 0 -metadata title="Ogg title" -metadata artist=Someone \
        -metadata track=3/12 "$out/OggInfo/ffmpeg.ogg"
    quiet $gen -ac 2 -c:a wmav2 -b:a 32k -metadata title="Wma title" -metadata artist=Someone \
        -metadata WM/Track=4 -metadata WM/Year=2001 "$work/ffmpeg.wma"
    # Only the header objects matter to the reader: keep the file small.
    [ -f "$work/ffmpeg.wma" ] && head -c 2048 "$work/ffmpeg.wma" >"$out/WmaInfo/ffmpeg-head.wma"
fi
if have oggenc && [ -f "$work/tone8000.wav" ]; then
    quiet oggenc -Q -q 0 -t "Título" -a Artist -N 5 -c "DESCRIPTION=words" -o "$out/OggInfo/oggenc.ogg" \
        "$work/tone8000.wav"
fi
exit 0
