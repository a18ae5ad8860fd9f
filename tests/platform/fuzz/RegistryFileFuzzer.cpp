#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/RegistryFile.h"

// Whatever parses must format and parse back to the same text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);
    auto key = quaverly::ParseRegistryFile(text, "HKEY_CURRENT_USER");
    if (key) {
        std::string once = quaverly::FormatRegistryFile(*key, "HKEY_CURRENT_USER");
        auto again = quaverly::ParseRegistryFile(once, "HKEY_CURRENT_USER");
        if (!again || quaverly::FormatRegistryFile(*again, "HKEY_CURRENT_USER") != once)
            __builtin_trap();
    }
    return 0;
}
