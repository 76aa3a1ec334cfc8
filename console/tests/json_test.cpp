#include "json.h"

#include <gtest/gtest.h>

#include <string>

#include "json_reader.h"

namespace {

std::string Json(std::string_view bytes) {
    std::string out;
    AppendJsonString(out, bytes);
    return out;
}

}  // namespace

TEST(JsonString, EscapesKeepsValidUtf8AndTurnsOtherBytesIntoTheirCodePoints) {
    struct TCase {
        std::string In;
        std::string Out;
    } cases[] = {
        {"", "\"\""},
        {"a\\b\"c", "\"a\\\\b\\\"c\""},
        {"tab\there\nnl", "\"tab\\there\\nnl\""},
        {std::string("\x01\x1f\x00", 3), "\"\\u0001\\u001f\\u0000\""},
        {"\x7f/", "\"\x7f/\""},
        {"Ж€𝄞", "\"Ж€𝄞\""},                                    // two, three and four bytes pass unchanged
        {"\xCF\xF0\xE8", "\"\u00CF\u00F0\u00E8\""},            // Windows-1251 "При"
        {"\xC0\xAF", "\"\u00C0\u00AF\""},                      // overlong '/'
        {"\xE0\x80\xAF", "\"\u00E0\u0080\u00AF\""},            // overlong three-byte form
        {"\xED\xA0\x80", "\"\u00ED\u00A0\u0080\""},            // a surrogate
        {"\xF4\x90\x80\x80", "\"\u00F4\u0090\u0080\u0080\""},  // past U+10FFFF
        {"\xF5", "\"\u00F5\""},
        {"a\xD0", "\"a\u00D0\""},         // cut off at the end
        {"\xD0\xD0\x96", "\"\u00D0Ж\""},  // a broken lead, then a good pair
    };
    for (const TCase& c : cases) EXPECT_EQ(Json(c.In), c.Out) << c.In;
}

TEST(JsonString, EveryByteStringGivesAValidDocument) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    for (const std::string& in : {all, all + all.substr(0xC0), std::string("\xF0\x9F\x98") + "x"}) {
        EXPECT_EQ(ValidJson(Json(in)).Type, TJsonValue::String);
    }
    EXPECT_EQ(ValidJson(Json(all)).Str.size(), 128u + 2 * 128u) << "each high byte as one two-byte character";
}

TEST(JsonReader, RefusesInvalidDocuments) {
    for (const char* bad : {"",
                            "{",
                            "{\"a\":1,}",
                            "[1 2]",
                            "[1,]",
                            "\"\xC0\xAF\"",
                            "\"\xED\xA0\x80\"",
                            "\"\xF4\x90\x80\x80\"",
                            "\"\xF8\x88\x80\x80\"",
                            "\"\x80\"",
                            "\"\xD0\"",
                            "\"a\nb\"",
                            "{\"a\":1,\"a\":2}",
                            "{1:2}",
                            "01",
                            "-",
                            "1.",
                            "1e",
                            "tru",
                            "{} {}",
                            "\"\\x\"",
                            "\"\\u12\"",
                            "\"abc"}) {
        EXPECT_FALSE(ParseJson(bad).has_value()) << bad;
    }
    const TJsonValue ok = ValidJson(" {\"a\": [1, -2.5e1, true, false, null, \"\\u0416\\n\\/\"]} ");
    ASSERT_EQ(ok["a"].Items.size(), 6u);
    EXPECT_EQ(ok["a"].Items.at(1).Num, -25);
    EXPECT_EQ(ok["a"].Items.at(5).Str, "Ж\n/");
}
