#!/bin/sh
# Start-up of the player against a bare Qt 6 window: the time from exec to
# the window being mapped (median of 10 starts) and the resident memory once
# idle, for build/bin/quaverly run from an empty program folder, beside a
# bare Qt 6 program showing one frameless 195x108 window, in the same run.
# The yardstick and the probe are compiled here. Runs on $DISPLAY (run-bench
# provides a private Xvfb with openbox), else starts its own.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVERLY_BUILD:-$here/build}
runs=${QUAVERLY_BENCH_RUNS:-10}
work=$(mktemp -d /tmp/quaverly-bench-startup.XXXXXX)
cleanup() {
    rm -rf "$work"
    if [ -n "${own_x:-}" ]; then quaverly_x_stop; fi
}
trap cleanup EXIT
trap 'exit 130' INT  # then the EXIT trap cleans up; a script must not go on
trap 'exit 143' TERM
if [ -z "${DISPLAY:-}" ]; then
    . "$here/scripts/xsession.sh"
    own_x=1
    quaverly_x_start
fi

${CXX:-c++} -std=c++20 -O2 -fPIC $(pkg-config --cflags Qt6Widgets) "$here/bench/bench-startup-bare.cpp" \
    $(pkg-config --libs Qt6Widgets) -o "$work/bench-startup-bare"
${CXX:-c++} -std=c++20 -O2 "$here/bench/bench-startup-probe.cpp" $(pkg-config --cflags --libs xcb) \
    -o "$work/probe"

# An empty program folder: no audio library, no settings, no playlists.
mkdir -p "$work/program" "$work/runtime" "$work/registry"
chmod 700 "$work/runtime"
cp "$build/bin/quaverly" "$work/program/quaverly"
export XDG_RUNTIME_DIR="$work/runtime" QUAVERLY_REGISTRY_DIR="$work/registry"
unset QT_QPA_PLATFORM

bare=$("$work/probe" "$runs" bench-startup-bare "$work/bench-startup-bare")
player=$("$work/probe" "$runs" TMainForm "$work/program/quaverly")

echo "$bare $player" | awk -v runs="$runs" '{
    printf "start-up, exec to window mapped (median of %d) and resident memory once idle:\n", runs
    printf "  bare Qt 6 frameless 195x108 window: %7.1f ms %6.1f MB\n", $1, $2 / 1024
    printf "  quaverly, empty program folder:     %7.1f ms %6.1f MB\n", $3, $4 / 1024
    printf "  time ratio %.2f (target at most 1.40); resident %.1f MB (target at most 32 MB)\n", $3 / $1, $4 / 1024
}'
