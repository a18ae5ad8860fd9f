#!/bin/sh
# The playlist at full size: 100 000 empty media files in a temporary folder
# and an extended M3U list naming them (durations, a few doubled, missing and
# broken lines), loaded into the real playlist over the real list view:
# LoadPlaylist with its existence checks and the sort (median of a few runs),
# the view's sync after it, a full SavePlaylist, and the resident memory the
# rows take, with the titles collated by the machine's locale and by a
# Chinese one. QUAVERLY_BENCH_ROWS and QUAVERLY_BENCH_RUNS change the size.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVERLY_BUILD:-$here/build}
rows=${QUAVERLY_BENCH_ROWS:-100000}
runs=${QUAVERLY_BENCH_RUNS:-5}
work=$(mktemp -d /tmp/quaverly-bench-playlist.XXXXXX)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT  # then the EXIT trap cleans up; a script must not go on
trap 'exit 143' TERM
if ! cmake --build "$build" --target bench-playlist >"$work/build.log" 2>&1; then
    cat "$work/build.log" >&2
    echo "bench-playlist could not be built in $build" >&2
    exit 1
fi
"$build/bench/bench-playlist/bench-playlist" make "$work" "$rows"
"$build/bench/bench-playlist/bench-playlist" run "$work" "$runs"
# Titles are sorted by the locale's collation. The program's users sort by a
# Chinese one, far costlier than C.UTF-8's: made into the temporary folder
# when the locale sources are installed, and measured too.
if command -v localedef >/dev/null 2>&1 && [ -f /usr/share/i18n/locales/zh_CN ] && mkdir -p "$work/locale" &&
    localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" >/dev/null 2>&1; then
    LOCPATH="$work/locale" LC_ALL=zh_CN.UTF-8 "$build/bench/bench-playlist/bench-playlist" run "$work" "$runs"
fi
