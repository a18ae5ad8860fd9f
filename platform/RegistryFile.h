#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quaverly {

// One registry key in memory: values and subkeys, both looked up without
// regard to ASCII case but keeping the spelling they were written with.
struct RegistryKey {
    struct Value {
        std::string name;   // "" = the default value ("@")
        std::string data;   // the string, or the raw text after "=" when !isString
        bool isString = true;
    };
    std::string name;
    std::map<std::string, Value> values;       // by lower-cased name
    std::map<std::string, RegistryKey> keys;   // by lower-cased name
};

std::string LowerAscii(std::string_view text);

// Parses a REGEDIT4 export whose sections all lie under rootName. Values
// other than strings (dword:, hex:) are kept as raw text so that writing the
// file back loses nothing. nullopt when the text is not such a file.
std::optional<RegistryKey> ParseRegistryFile(std::string_view text, std::string_view rootName);

// The REGEDIT4 text for a root: every key as a section, depth first.
std::string FormatRegistryFile(const RegistryKey &root, std::string_view rootName);

}  // namespace quaverly
