#pragma once
// A one-line JSON object writer for quaverly-info. Texts are bytes: valid
// UTF-8 passes through, any other byte is written as the Latin-1 character
// of the same code, and NUL and control bytes as \u escapes.
#include <cstdint>
#include <string>
#include <string_view>

namespace quaverly::info {

class TJsonWriter {
public:
    void BeginObject(std::string_view key = {});
    void EndObject();
    void Bool(std::string_view key, bool value);
    void Int(std::string_view key, std::int64_t value);
    void Double(std::string_view key, double value);
    void Text(std::string_view key, std::string_view value);
    const std::string& Result() const { return Out; }

private:
    void Key(std::string_view key);
    void String(std::string_view text);

    std::string Out;
    bool NeedComma = false;
};

} // namespace quaverly::info
