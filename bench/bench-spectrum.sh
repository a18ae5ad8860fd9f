#!/bin/sh
# The spectrum display: the median time to compose one frame in each mode.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/quaverly-bench-spectrum.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM
${CXX:-c++} -std=c++20 -O2 -fPIC -I"$here" $(pkg-config --cflags Qt6Gui) "$here/bench/bench-spectrum-frame.cpp" \
    "$here/ui/qt/SpectrumFrame.cpp" "$here/ui/qt/SpectrumRings.cpp" "$here/ui/SpectrumScales.cpp" \
    $(pkg-config --libs Qt6Gui) -o "$work/frame"
QT_QPA_PLATFORM=offscreen "$work/frame"
