#!/bin/sh
# Runs every benchmark of bench/ (each an executable script named bench-*),
# under a private Xvfb for those that open windows, and prints their figures.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
. "$here/scripts/xsession.sh"
trap quaverly_x_stop EXIT
trap 'exit 130' INT  # then the EXIT trap cleans up; a script must not go on
trap 'exit 143' TERM
quaverly_x_start
export QUAVERLY_BUILD="$here/$build"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/quaverly-bench.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"
status=0
for b in "$here"/bench/bench-*; do
    [ -f "$b" ] && [ -x "$b" ] || continue   # sources beside the scripts are not run
    echo "== $(basename "$b")"
    "$b" || { echo "$(basename "$b") failed" >&2; status=1; }
done
exit $status
