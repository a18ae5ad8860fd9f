#!/bin/sh
# Starts the player from its program folder (build/bin) on the demo playlist.
# Without a display, a private Xvfb with openbox is started for it, and the
# player runs there until it is closed (its power button, or Ctrl-C here).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
bin="$here/$build/bin"
if [ -z "${DISPLAY:-}" ]; then
    . "$here/scripts/xsession.sh"
    trap quaverly_x_stop EXIT
    trap 'exit 130' INT  # then the EXIT trap cleans up; a script must not go on
    trap 'exit 143' TERM
    quaverly_x_start
    echo "run-demo: no display; the player runs on the private display $DISPLAY"
fi
# A machine without a sound device (a server, a container) still gets the
# player with its playlist: the audio goes to SDL's null output instead.
if [ -z "${SDL_AUDIODRIVER:-}" ] && [ ! -d /dev/snd ] && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ] \
        && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pipewire-0" ]; then
    export SDL_AUDIODRIVER=dummy
    echo "run-demo: no sound device found; audio goes to SDL's dummy output"
fi
cd "$bin"
status=0
"$bin/quaverly" "$bin/demo.m3u" || status=$?
exit $status
