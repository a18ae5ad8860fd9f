#!/bin/sh
# Runs every test. The main build's tests run under a private Xvfb with
# openbox; then the sanitizer builds (AddressSanitizer with UBSan, and
# ThreadSanitizer) of the plain-code folders and the libFuzzer targets, each
# for a short time. QUAVERLY_QUICK=1 runs only the main build's tests.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
jobs=$(nproc)
. "$here/scripts/xsession.sh"
trap quaverly_x_stop EXIT
trap 'exit 130' INT  # then the EXIT trap cleans up; a script must not go on
trap 'exit 143' TERM

status=0
quaverly_x_start
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/quaverly-run.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"

echo "== unit tests"
ctest --test-dir "$build" --no-tests=error --output-on-failure -j "$jobs" -L unit || status=1
echo "== integration and end-to-end tests"
ctest --test-dir "$build" --no-tests=ignore --output-on-failure -j 1 -LE 'unit|fuzz' || status=1

if [ "${QUAVERLY_QUICK:-0}" != 1 ]; then
    sanitized() {  # dir, target to build (all: everything), parts, extra cmake flags...
        dir=$1; target=$2; parts=$3; shift 3
        if [ ! -f "$dir/build.ninja" ]; then
            cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
                -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
                "-DQUAVERLY_PARTS=$parts" "$@" >/dev/null
        fi
        cmake --build "$dir" -j "$jobs" --target "$target"
    }
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
    echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
    if sanitized build-asan all "platform;mediainfo;ui;playlist;audio;app;tools" -DQUAVERLY_SANITIZE=address,undefined; then
        # The integration cases share one X display (windows found by title,
        # stacking, the foreground) and time frames between processes: they
        # run one at a time, as in the main build.
        ctest --test-dir build-asan --no-tests=ignore --output-on-failure -j "$jobs" -L unit || status=1
        ctest --test-dir build-asan --no-tests=ignore --output-on-failure -j 1 -LE 'unit|fuzz|e2e' || status=1
    else
        status=1
    fi
    echo "== ThreadSanitizer"
    if sanitized build-tsan all "platform;mediainfo;audio;tools" -DQUAVERLY_SANITIZE=thread; then
        TSAN_OPTIONS=halt_on_error=1 \
            ctest --test-dir build-tsan --no-tests=ignore --output-on-failure -j 1 -LE 'fuzz|e2e' || status=1
    else
        status=1
    fi
    echo "== fuzzers"
    if sanitized build-fuzz fuzzers "platform;mediainfo;ui;playlist;audio;app" -DQUAVERLY_FUZZ=ON -DQUAVERLY_FUZZ_ONLY=ON \
            -DQUAVERLY_SANITIZE=address,undefined; then
        ctest --test-dir build-fuzz --no-tests=ignore --output-on-failure -j "$jobs" -L fuzz || status=1
    else
        status=1
    fi
fi
exit $status
