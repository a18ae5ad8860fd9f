#!/bin/sh
# Writes the audio files the player tests open into folder $1: tones of
# known length, rate and channel count, made with sox, lame and ffmpeg.
set -eu
d=$1
mkdir -p "$d"
cd "$d"
[ -f done ] && exit 0
sox -n -r 44100 -b 16 -c 1 tone-mono.wav synth 2 sine 440 gain -6
sox -n -r 44100 -b 16 -c 2 tone-stereo.wav synth 2 sine 440 sine 660 gain -6
sox -n -r 44100 -b 16 -c 1 long-mono.wav synth 30 sine 440 gain -6
sox -n -r 44100 -b 16 -c 2 long-stereo.wav synth 30 sine 440 sine 660 gain -6
sox -n -r 22050 -b 16 -c 1 short.wav synth 0.5 sine 1000 gain -6
sox -n -r 44100 -b 8 -c 1 eight-bit.wav synth 1 sine 440 gain -6
sox -n -r 44100 -b 16 -c 2 -t wav - synth 3 sine 440 gain -6 | lame --quiet -b 128 - tone.mp3
sox -n -r 44100 -b 16 -c 1 -t wav - synth 3 sine 440 gain -6 | lame --quiet -m m -b 64 - mono.mp3
sox -n -r 22050 -b 16 -c 1 -t wav - synth 12 sine 440 gain -6 | lame --quiet -m m -b 32 - radio.mp3
ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=3" -ac 2 -c:a libvorbis -q:a 2 \
    -metadata title="Ogg Title" tone.ogg
oggenc -Q -c "TITLE=Upper Title" -o upper.ogg tone-stereo.wav
ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=2" -ac 6 -c:a libvorbis -q:a 2 surround.ogg
ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=4" -ac 6 -c:a pcm_s16le surround.wav
# A file the MPEG reader turns down, and one of a type nobody plays.
head -c 4096 /dev/zero > zeros.mp3
cp tone-mono.wav tone.flac
touch done
