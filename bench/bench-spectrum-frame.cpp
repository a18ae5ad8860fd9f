// Composing one spectrum frame: the median time per mode (both families for
// the history mode), over bands that move like music.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "ui/qt/SpectrumFrame.h"

using namespace quaverly;

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    constexpr int kFrames = 4000;
    std::vector<TBandOut> bands(kFrames);
    for (int n = 0; n < kFrames; ++n)
        for (int i = 0; i < kSpectrumBands; ++i)
            bands[n][i] = std::uint16_t(46 + 46 * std::sin(n * 0.07 + i * 0.5) * std::cos(n * 0.013 + i));

    std::printf("-- one frame composed (target: below 30 us in every mode)\n");
    for (int variant = 1; variant <= 7; ++variant) {
        const int mode = std::min(variant, 6);
        const bool nt = variant != 7;
        TSpectrumFrame frame;
        frame.Init(mode, nt);
        std::vector<double> us;
        us.reserve(kFrames);
        for (const TBandOut &b : bands) {
            const auto start = std::chrono::steady_clock::now();
            frame.Draw(b, mode, nt);
            us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        }
        std::nth_element(us.begin(), us.begin() + kFrames / 2, us.end());
        std::printf("  mode %d%-18s median %6.2f us\n", mode,
                    mode == 6 ? (nt ? " (waterfall)" : " (rings)") : "", us[kFrames / 2]);
    }
    return 0;
}
