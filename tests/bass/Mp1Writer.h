#pragma once

// A minimal MPEG-1 Layer I writer for test fixtures (no Layer I encoder is
// packaged here). Every frame carries the same pattern in one subband:
// a*cos(pi*m/2) over the subband's samples m, which the decoder's synthesis
// filter bank turns into a tone at the middle of that subband,
// (2*subband + 1) * rate / 128 Hz. The other subbands are silent.

#include <string>

namespace quaverly::test {

struct Mp1Tone {
    int rate = 48000;  // 32000 or 48000: 192 kbit/s frames need no padding then
    int channels = 1;  // 1 (single channel) or 2 (stereo)
    int subband = 2;  // 0..31
    double amplitude = 0.5;  // of full scale, in the subband
    int frames = 125;  // 384 samples each
};

// The tone's frequency in Hz.
double Mp1ToneFrequency(const Mp1Tone &tone);
bool WriteMp1(const std::string &path, const Mp1Tone &tone);

}  // namespace quaverly::test
