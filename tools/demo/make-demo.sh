#!/bin/bash
# Writes the demo playlist and the short pieces it lists into the program
# folder given as $1: a plucked chord as WAV, a minor progression as Ogg
# Vorbis, a bass line as MP3 and a melody as a MIDI file written byte by byte.
# The playlist holds absolute paths, so it loads from any current folder.
set -euo pipefail
out=${1:?usage: make-demo.sh PROGRAM-FOLDER}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A chord whose notes start one after another (an arpeggio), faded out.
arpeggio() { # file seconds-per-note notes...
    local file=$1 step=$2; shift 2
    local synth=() delays=() i=0
    for note in "$@"; do
        synth+=(pluck "$note")
        delays+=("$(awk -v i=$i -v s="$step" 'BEGIN { printf "%.3f", i * s }')")
        i=$((i + 1))
    done
    sox -q -n -r 44100 -b 16 "$file" synth 1.2 "${synth[@]}" delay "${delays[@]}" \
        remix - channels 2 fade 0 -0 0.3 norm -3
}

arpeggio "$work/c.wav" 0.2 C4 E4 G4 C5 E5
arpeggio "$work/am.wav" 0.25 A3 C4 E4 A4
arpeggio "$work/f.wav" 0.25 F3 A3 C4 F4
arpeggio "$work/g.wav" 0.25 G3 B3 D4 G4
arpeggio "$work/bass1.wav" 0.3 C2 G2 C3
arpeggio "$work/bass2.wav" 0.3 F2 C3 F3

cp "$work/c.wav" "$out/demo-chime.wav"
sox -q "$work/am.wav" "$work/f.wav" "$work/c.wav" "$work/g.wav" "$work/minor.wav"
oggenc -Q -q 3 -t "Demo progression" -o "$out/demo-progression.ogg" "$work/minor.wav"
sox -q "$work/bass1.wav" "$work/bass2.wav" "$work/bass1.wav" "$work/bass.wav"
lame --quiet -b 128 --tt "Demo bass line" "$work/bass.wav" "$out/demo-bassline.mp3"

# MIDI: format 0, one track, 96 ticks per quarter, 120 beats a minute,
# piano, twelve quarter notes and a held last note.
melody=(60 62 64 65 67 69 67 65 64 62 60 67)
track=(00 FF 51 03 07 A1 20  00 C0 00)
for n in "${melody[@]}"; do
    hex=$(printf '%02X' "$n")
    track+=(00 90 "$hex" 50  60 80 "$hex" 00)
done
track+=(00 90 3C 50  83 00 80 3C 00  00 FF 2F 00)
length=$(printf '%08X' "${#track[@]}")
bytes=(4D 54 68 64 00 00 00 06 00 00 00 01 00 60
       4D 54 72 6B "${length:0:2}" "${length:2:2}" "${length:4:2}" "${length:6:2}" "${track[@]}")
printf "$(printf '\\x%s' "${bytes[@]}")" > "$out/demo-melody.mid"

seconds() { printf '%.0f' "$(soxi -D "$1")"; }
{
    printf '#EXTM3U\r\n'
    printf '#EXTINF:%s,Demo chime\r\n%s\r\n' "$(seconds "$out/demo-chime.wav")" "$out/demo-chime.wav"
    printf '#EXTINF:%s,Demo progression\r\n%s\r\n' "$(seconds "$work/minor.wav")" "$out/demo-progression.ogg"
    printf '#EXTINF:%s,Demo bass line\r\n%s\r\n' "$(seconds "$work/bass.wav")" "$out/demo-bassline.mp3"
    printf '%s\r\n' "$out/demo-melody.mid"
} > "$out/demo.m3u.tmp"
mv "$out/demo.m3u.tmp" "$out/demo.m3u"
