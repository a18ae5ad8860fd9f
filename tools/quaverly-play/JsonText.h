#pragma once
// JSON string literals for the console tools: UTF-8 passes through, control
// characters are escaped and invalid UTF-8 bytes become U+FFFD, so every
// line stays valid JSON whatever a stream sends as its title.
#include <string>
#include <string_view>

namespace quaverly::tools {

std::string JsonString(std::string_view text);

} // namespace quaverly::tools
