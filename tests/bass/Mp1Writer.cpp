#include "bass/Mp1Writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace quaverly::test {

namespace {

class BitWriter {
public:
    explicit BitWriter(size_t bytes) : bytes_(bytes, 0) {}
    void Put(uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i, ++at_)
            if (value >> i & 1u)
                bytes_[at_ / 8] |= uint8_t(0x80u >> (at_ % 8));
    }
    const std::vector<uint8_t> &bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t at_ = 0;
};

constexpr int kBitrateIndex = 6;  // 192 kbit/s in Layer I
constexpr int kBitrate = 192000;
constexpr int kBits = 8;  // per subband sample; allocation code kBits - 1
constexpr int kScaleIndex = 3;  // scale factor 2 * 2^(-3/3) = 1.0

// The code whose dequantised value, (2c - (2^nb - 2)) / (2^nb - 1), is
// nearest to v (-1..1).
uint32_t Quantise(double v)
{
    const double levels = double((1 << kBits) - 1);
    const long c = std::lround((v * levels + double((1 << kBits) - 2)) / 2.0);
    return uint32_t(std::clamp(c, 0L, long((1 << kBits) - 2)));
}

}  // namespace

double Mp1ToneFrequency(const Mp1Tone &tone)
{
    return (2.0 * tone.subband + 1.0) * tone.rate / 128.0;
}

bool WriteMp1(const std::string &path, const Mp1Tone &tone)
{
    int rateCode = -1;
    if (tone.rate == 48000)
        rateCode = 1;
    else if (tone.rate == 32000)
        rateCode = 2;
    if (rateCode < 0 || tone.channels < 1 || tone.channels > 2 || tone.subband < 0 || tone.subband > 31)
        return false;
    const size_t frameBytes = size_t(12 * kBitrate / tone.rate) * 4;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = true;
    for (int n = 0; n < tone.frames && ok; ++n) {
        BitWriter w(frameBytes);
        w.Put(0xFFF, 12);  // sync
        w.Put(1, 1);  // MPEG-1
        w.Put(3, 2);  // Layer I
        w.Put(1, 1);  // no CRC
        w.Put(kBitrateIndex, 4);
        w.Put(uint32_t(rateCode), 2);
        w.Put(0, 1);  // no padding
        w.Put(0, 1);  // private
        w.Put(tone.channels == 1 ? 3 : 0, 2);  // single channel / stereo
        w.Put(0, 2);  // mode extension
        w.Put(0, 4);  // copyright, original, emphasis
        for (int sb = 0; sb < 32; ++sb)
            for (int c = 0; c < tone.channels; ++c)
                w.Put(sb == tone.subband ? kBits - 1 : 0, 4);
        for (int c = 0; c < tone.channels; ++c)
            w.Put(kScaleIndex, 6);
        for (int s = 0; s < 12; ++s) {
            const int m = n * 12 + s;  // the subband's sample index
            const double v = tone.amplitude * std::cos(M_PI * m / 2.0);
            for (int c = 0; c < tone.channels; ++c)
                w.Put(Quantise(v), kBits);
        }
        ok = std::fwrite(w.bytes().data(), 1, frameBytes, f) == frameBytes;
    }
    return std::fclose(f) == 0 && ok;
}

}  // namespace quaverly::test
