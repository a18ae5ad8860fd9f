#pragma once

#include <cstdint>
#include <random>

namespace quaverly {

// Random numbers as the program draws them; faked in tests.
class IRandom {
public:
    virtual ~IRandom() = default;
    // A number in [0, range); 0 when range <= 0 (Random(range)).
    virtual int Next(int range) = 0;
};

// A Mersenne twister seeded from std::random_device (Randomize).
class SystemRandom final : public IRandom {
public:
    SystemRandom();
    explicit SystemRandom(std::uint32_t seed);
    int Next(int range) override;

private:
    std::mt19937 engine_;
};

}  // namespace quaverly
