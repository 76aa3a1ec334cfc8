#include "json.h"

#include "checked.h"
#include "cp1251.h"

namespace {

std::string Json(std::string_view bytes) {
    std::string out;
    AppendJsonString(out, bytes);
    return out;
}

}  // namespace

TEST(JsonString, EscapesKeepsValidUtf8AndReadsOtherBytesAsWindows1251) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "\"\""},
        {"a\\b\"c", "\"a\\\\b\\\"c\""},
        {"tab\there\nnl", "\"tab\\there\\nnl\""},
        {std::string("\x01\x1f\x00", 3), "\"\\u0001\\u001f\\u0000\""},
        {"\x7f/", "\"\x7f/\""},
        {"Ж€𝄞", "\"Ж€𝄞\""},                                    // two, three and four bytes pass unchanged
        {"\xC2\xA0\xED\x9F\xBF", "\"\xC2\xA0\xED\x9F\xBF\""},  // the lowest two-byte lead, the last before surrogates
        {"\xCF\xF0\xE8", "\"При\""},                           // Windows-1251
        {"\xC0\xAF", "\"АЇ\""},                                // overlong '/'
        {"\xE0\x80\xAF", "\"аЂЇ\""},                           // overlong three-byte form
        {"\xED\xA0\x80", "\"н\u00A0Ђ\""},                      // a surrogate
        {"\xF4\x90\x80\x80", "\"фђЂЂ\""},                      // past U+10FFFF
        {"\xF0\x8F\xBF\xBF", "\"рЏїї\""},                      // overlong four-byte form
        {"\xF5\x98", "\"х\u0098\""},                           // 0x98 has no character and stands for itself
        {"a\xD0", "\"aР\""},                                   // cut off at the end
        {"\xD0\xD0\x96", "\"РЖ\""},                            // a broken lead, then a good pair
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Json(in), out) << in;
}

TEST(JsonString, EveryByteStringGivesAValidDocument) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    for (const std::string& in : {all + all.substr(0xC0), std::string("\xF0\x9F\x98") + "x"})
        EXPECT_TRUE(ValidJson(Json(in)).is_string());
    EXPECT_EQ(ValidJson(Json(all)).get<std::string>(), all.substr(0, 128) + Utf8FromCp1251(all.substr(128)));
}
