#!/bin/sh
# Writes the media the media-control tests play into folder $1: a MIDI file,
# short videos in three containers, a redirector list of two tones, one whose
# entries are missing, and garbage under media names.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
d=$1
mkdir -p "$d"
cd "$d"
[ -f done ] && exit 0
python3 "$here/make-midi.py" tune.mid 3
video() {  # out, video codec, audio codec
    ffmpeg -loglevel error -y -f lavfi -i "testsrc=size=320x240:rate=25" \
        -f lavfi -i "sine=frequency=440" -t 3 -c:v "$2" -c:a "$3" "$1"
}
video clip.avi mpeg4 mp3
video clip.wmv wmv2 wmav2
video clip.mpg mpeg1video mp2
sox -n -r 44100 -b 16 -c 2 first.wav synth 1 sine 440 gain -6
sox -n -r 44100 -b 16 -c 2 second.wav synth 2 sine 660 gain -6
cat > two.asx <<'ASX'
<asx version="3.0">
  <title>Two tones</title>
  <entry><ref href="first.wav"/></entry>
  <ENTRY><REF HREF="second.wav"/></ENTRY>
</asx>
ASX
cat > gone.asx <<'ASX'
<asx version="3.0">
  <entry><ref href="not-here-1.wav"/></entry>
  <entry><ref href="not-here-2.wav"/></entry>
</asx>
ASX
# Random bytes, the same every run.
python3 -c "import random,sys; r=random.Random(7); sys.stdout.buffer.write(bytes(r.randrange(256) for _ in range(5000)))" > noise.bin
cp noise.bin noise.mid
cp noise.bin noise.avi
cp noise.bin noise.wmv
touch done
