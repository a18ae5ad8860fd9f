#include "platform/Random.h"

namespace quaverly {

SystemRandom::SystemRandom() : engine_(std::random_device {}()) {}

SystemRandom::SystemRandom(std::uint32_t seed) : engine_(seed) {}

int SystemRandom::Next(int range)
{
    if (range <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, range - 1)(engine_);
}

}  // namespace quaverly
