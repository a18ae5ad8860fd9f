#include "JsonWriter.h"

#include <charconv>
#include <cmath>

namespace quaverly::info {
namespace {

// Length of the valid UTF-8 sequence starting at `i`, or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i)
{
    const auto b0 = static_cast<std::uint8_t>(s[i]);
    std::size_t length = 0;
    std::uint32_t min = 0;
    std::uint32_t code = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, min = 0x80, code = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, min = 0x800, code = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, min = 0x10000, code = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<std::uint8_t>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (b & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

void TJsonWriter::Key(std::string_view key)
{
    if (NeedComma)
        Out += ',';
    if (!key.empty()) {
        String(key);
        Out += ':';
    }
    NeedComma = true;
}

void TJsonWriter::BeginObject(std::string_view key)
{
    Key(key);
    Out += '{';
    NeedComma = false;
}

void TJsonWriter::EndObject()
{
    Out += '}';
    NeedComma = true;
}

void TJsonWriter::Bool(std::string_view key, bool value)
{
    Key(key);
    Out += value ? "true" : "false";
}

void TJsonWriter::Int(std::string_view key, std::int64_t value)
{
    Key(key);
    Out += std::to_string(value);
}

void TJsonWriter::Double(std::string_view key, double value)
{
    Key(key);
    if (!std::isfinite(value))
        value = 0.0; // JSON has no infinities; readers never report one
    char buffer[64];
    // The shortest text that reads back to the same double.
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    Out.append(buffer, error == std::errc() ? end : buffer);
}

void TJsonWriter::Text(std::string_view key, std::string_view value)
{
    Key(key);
    String(value);
}

void TJsonWriter::String(std::string_view s)
{
    static constexpr char hex[] = "0123456789abcdef";
    Out += '"';
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<std::uint8_t>(s[i]);
        if (b == '"' || b == '\\') {
            Out += '\\';
            Out += static_cast<char>(b);
            ++i;
        } else if (b < 0x20) {
            Out += "\\u00";
            Out += hex[b >> 4];
            Out += hex[b & 15];
            ++i;
        } else if (b < 0x80) {
            Out += static_cast<char>(b);
            ++i;
        } else if (std::size_t n = Utf8SequenceLength(s, i)) {
            Out.append(s.substr(i, n));
            i += n;
        } else {
            Out += static_cast<char>(0xC0 | (b >> 6));
            Out += static_cast<char>(0x80 | (b & 0x3F));
            ++i;
        }
    }
    Out += '"';
}

} // namespace quaverly::info
