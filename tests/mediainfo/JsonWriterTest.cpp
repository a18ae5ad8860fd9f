#include "JsonWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>

using quaverly::info::TJsonWriter;

namespace {

std::string TextJson(std::string_view text)
{
    TJsonWriter json;
    json.BeginObject();
    json.Text("T", text);
    json.EndObject();
    return json.Result();
}

} // namespace

TEST(JsonWriter, TextsKeepUtf8AndReadOtherBytesAsLatin1)
{
    EXPECT_EQ(R"({"T":"\u0000a\"\\\u001f"})", TextJson(std::string("\0a\"\\\x1f", 5)));
    EXPECT_EQ("{\"T\":\"\xC3\xA4\"}", TextJson("\xC3\xA4"));    // valid UTF-8 passes
    EXPECT_EQ("{\"T\":\"\xC3\xA4x\"}", TextJson("\xE4x"));      // Latin-1 byte
    EXPECT_EQ("{\"T\":\"\xC3\x83\xC3\xA4\"}", TextJson("\xC3\xC3\xA4")); // broken lead byte, then a valid pair
    EXPECT_EQ("{\"T\":\"\xC3\xAD\xC2\xA0\xC2\x80\"}", TextJson("\xED\xA0\x80")); // a surrogate is not UTF-8
}

TEST(JsonWriter, DoublesReadBackExactlyAndNestingHasCommas)
{
    TJsonWriter json;
    json.BeginObject();
    json.Double("D", 0.1 + 0.2);
    json.BeginObject("O");
    json.Int("I", -5);
    json.Bool("B", true);
    json.EndObject();
    json.Double("W", 1.0);
    json.EndObject();
    const std::string& out = json.Result();
    const std::size_t at = out.find("\"D\":") + 4;
    EXPECT_EQ(0.1 + 0.2, std::strtod(out.c_str() + at, nullptr));
    EXPECT_NE(std::string::npos, out.find(",\"O\":{\"I\":-5,\"B\":true},\"W\":1}"));
}
