#!/bin/sh
# CPU and memory of the audio library playing a minute of a 128 kbit/s MP3
# and of an Ogg Vorbis file with a 512-point FFT every 25 ms (SDL's dummy
# driver), beside the peer players that are installed, in the same run, and
# the ratio of each peer's CPU time to the library's.
# QUAVERLY_BENCH_SECONDS shortens the minute for a quick look.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/bench/common.sh"
bench_work audio
bench_needs libbass.so
${CXX:-c++} -std=c++20 -O2 -I"$here" "$here/bench/bench-audio-lib.cpp" -ldl -o "$work/bench-audio-lib"
bench=$work/bench-audio-lib
# Readable by a peer that plays as another user (see cvlc below).
chmod 755 "$work"
mkdir -m 777 "$work/vlchome"

quiet() { "$@" >/dev/null 2>&1; }
quiet ffmpeg -nostdin -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a libmp3lame -b:a 128k "$work/a.mp3"
quiet ffmpeg -nostdin -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a libvorbis -q:a 4 "$work/a.ogg"

export SDL_AUDIODRIVER=dummy
# The peers get no display and no session bus: they play audio only, and
# none of them starts a bus daemon that would outlive the run.
peerenv() { env -u DISPLAY -u WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent "$@"; }

if command -v audacious >/dev/null 2>&1; then
    # audacious picks its output from its plugin registry: a first run with
    # nothing to play writes the registry, then only the SDL output is
    # enabled in it (with the dummy driver above).
    mkdir -p "$work/home"
    HOME="$work/home" peerenv timeout 20 audacious -H -q </dev/null >/dev/null 2>&1 || true
    registry=$work/home/.config/audacious/plugin-registry
    if [ -f "$registry" ] && grep -q '/sdlout\.so$' "$registry"; then
        awk '/^[a-z]+ \// { output = ($1 == "output"); sdl = ($2 ~ /\/sdlout\.so$/) }
             output && /^enabled / { print "enabled " (sdl ? 1 : 0); next }
             { print }' "$registry" > "$registry.new" && mv "$registry.new" "$registry"
    else
        echo "  (audacious wrote no plugin registry with an SDL output; it is left out)"
    fi
fi

# CPU s per minute from a figure line ("... cpu=X"); -1 when the run failed.
cpu_of() { sed -n 's/.* cpu=\([-0-9.]*\)$/\1/p' | tail -n 1; }
ratio() {  # peer cpu, ours
    awk -v p="$1" -v o="$2" 'BEGIN { if (p < 0 || o <= 0) print "-"; else printf "%.1fx\n", p / o }'
}

printf -- '-- the host alone (the same 25 ms loop, no library, %s s)\n  idle host:   ' "$seconds"
"$bench" idle "$seconds"

for f in a.mp3 a.ogg; do
    echo "-- $f ($seconds s)"
    printf '  libbass.so:  '
    line=$("$bench" lib "$build/bin" "$work/$f" "$seconds")
    echo "$line"
    ours=$(echo "$line" | head -n 1 | cpu_of)
    run_peer() {  # label, command...
        label=$1
        shift
        command -v "$1" >/dev/null 2>&1 || { printf '  %-12s not installed\n' "$label:"; return 0; }
        out=$(peerenv "$bench" peer "$seconds" "$@")
        printf '  %-12s %s; CPU %s of the library'"'"'s\n' "$label:" "$out" "$(ratio "$(echo "$out" | cpu_of)" "$ours")"
    }
    if [ -f "$work/home/.config/audacious/plugin-registry" ]; then
        HOME="$work/home" run_peer audacious audacious -H -q "$work/$f"
    fi
    if ! command -v cvlc >/dev/null 2>&1; then
        printf '  %-12s not installed\n' "cvlc:"
    elif [ "$(id -u)" = 0 ]; then
        # VLC refuses to run as root: it plays as nobody, from a home of its own.
        HOME="$work/vlchome" run_peer cvlc setpriv --reuid=nobody --regid=nogroup --clear-groups \
            cvlc -q --play-and-exit --aout=adummy "$work/$f"
    else
        run_peer cvlc cvlc -q --play-and-exit --aout=adummy "$work/$f"
    fi
    run_peer ffplay ffplay -v quiet -nodisp -autoexit "$work/$f"
    run_peer mpv mpv --really-quiet --no-video --ao=null "$work/$f"
    if [ "$f" = a.mp3 ]; then
        # Decodes as fast as it can, with no output pacing: a decoding floor.
        run_peer "mpg123 -o dummy" mpg123 -q -o dummy "$work/$f"
    fi
done
echo "(targets: at most 0.15 CPU s per minute with the FFT, peak memory below 16 MB, open under 5 ms;"
echo " a peer's run counts when it exits with 0 after about the audio's length, mpg123 excepted)"
