#include "json_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace {

// Pos never passes the end, and Text[Text.size()] is a '\0' that no rule takes.
struct TParser {
    const std::string& Text;
    std::size_t Pos = 0;

    [[noreturn]] void Fail(const char* what) const {
        throw std::runtime_error(std::string(what) + " at byte " + std::to_string(Pos));
    }
    bool Take(char c) { return Text[Pos] == c && ++Pos; }
    void Blank() { Pos = std::min(Text.find_first_not_of(" \t\n\r", Pos), Text.size()); }
    bool Token(char c) { return Blank(), Take(c); }
    void Expect(char c) {
        if (!Token(c)) Fail("unexpected byte");
    }
    bool Word(const std::string& word) { return Text.compare(Pos, word.size(), word) == 0 && (Pos += word.size()); }
    std::size_t Digits() {
        const std::size_t from = Pos;
        while (Text[Pos] >= '0' && Text[Pos] <= '9') ++Pos;
        return Pos - from;
    }

    TJsonValue Value() {
        TJsonValue v;
        Blank();
        if (Take('[')) {
            v.Type = TJsonValue::Array;
            if (Token(']')) return v;
            do v.Items.push_back(Value());
            while (Token(','));
            Expect(']');
        } else if (Take('{')) {
            v.Type = TJsonValue::Object;
            if (Token('}')) return v;
            do {
                Expect('"');
                std::string key = StringBody();
                Expect(':');
                if (!v.Members.emplace(std::move(key), Value()).second) Fail("duplicate key");
            } while (Token(','));
            Expect('}');
        } else if (Take('"')) {
            v.Type = TJsonValue::String;
            v.Str = StringBody();
        } else if (Word("true")) {
            v.Type = TJsonValue::Bool;
            v.Num = 1;
        } else if (Word("false")) {
            v.Type = TJsonValue::Bool;
        } else if (!Word("null")) {
            const std::size_t from = Pos;
            Take('-');
            if (!Take('0') && Digits() == 0) Fail("expected a value");
            if (Take('.') && Digits() == 0) Fail("bad fraction");
            if (Take('e') || Take('E')) {
                if (!Take('+')) Take('-');
                if (Digits() == 0) Fail("bad exponent");
            }
            v.Type = TJsonValue::Number;
            v.Num = std::strtod(Text.substr(from, Pos - from).c_str(), nullptr);
        }
        return v;
    }

    // After the opening quote.
    std::string StringBody() {
        std::string out;
        for (;;) {
            if (Pos == Text.size()) Fail("unterminated string");
            const auto c = static_cast<unsigned char>(Text[Pos++]);
            if (c == '"') return out;
            if (c < 0x20) Fail("control byte in a string");
            if (c == '\\') {
                Escape(out);
            } else if (c >= 0x80) {
                Utf8Char(c, out);
            } else {
                out += static_cast<char>(c);
            }
        }
    }

    // Overlong forms, surrogates and values past U+10FFFF are refused too.
    void Utf8Char(unsigned char lead, std::string& out) {
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        unsigned cp = lead & (0x3Fu >> extra);
        for (int k = 0; k < extra; ++k, ++Pos) {
            if ((Text[Pos] & 0xC0) != 0x80) Fail("invalid UTF-8");
            cp = cp << 6 | (Text[Pos] & 0x3Fu);
        }
        const unsigned least[] = {0, 0x80, 0x800, 0x10000};
        if (extra == 0 || lead > 0xF4 || cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            Fail("invalid UTF-8");
        }
        out.append(Text, Pos - static_cast<std::size_t>(extra) - 1, static_cast<std::size_t>(extra) + 1);
    }

    // A \u pair of surrogates stays two code points: the writer under test
    // escapes control bytes only.
    void Escape(std::string& out) {
        const std::size_t simple = std::string("\"\\/bfnrt").find(Text[Pos]);
        if (simple != std::string::npos) {
            out += "\"\\/\b\f\n\r\t"[simple];
            ++Pos;
            return;
        }
        const std::string hex = Take('u') ? Text.substr(Pos, 4) : "";
        if (hex.size() != 4 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            Fail("bad escape");
        }
        Pos += 4;
        const auto cp = static_cast<unsigned>(std::stoul(hex, nullptr, 16));
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
        } else {
            out += {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F))};
        }
    }
};

}  // namespace

const TJsonValue& TJsonValue::operator[](const std::string& key) const {
    static const TJsonValue kMissing;
    const auto it = Members.find(key);
    return it == Members.end() ? kMissing : it->second;
}

std::optional<TJsonValue> ParseJson(const std::string& text, std::string* error) {
    try {
        TParser parser{text};
        TJsonValue value = parser.Value();
        parser.Blank();
        if (parser.Pos != text.size()) parser.Fail("text after the value");
        return value;
    } catch (const std::runtime_error& e) {
        if (error != nullptr) *error = e.what();
        return std::nullopt;
    }
}

TJsonValue ValidJson(const std::string& text) {
    std::string error;
    std::optional<TJsonValue> doc = ParseJson(text, &error);
    if (!doc) ADD_FAILURE() << "not valid JSON: " << error << "\n" << text;
    return doc.value_or(TJsonValue{});
}

std::string Fields(const TJsonValue& value, const std::string& keys) {
    std::ostringstream out;
    if (value.Type == TJsonValue::Array) {
        for (const TJsonValue& item : value.Items)
            out << (&item == value.Items.data() ? "" : ", ") << Fields(item, keys);
        return out.str();
    }
    std::istringstream names(keys);
    for (std::string key; names >> key;) {
        const TJsonValue& member = value[key];
        out << (out.tellp() == 0 ? "" : " ");
        if (member.Type == TJsonValue::Number) {
            out << member.Num;
        } else {
            out << (member.Type == TJsonValue::String ? member.Str : "?");
        }
    }
    return out.str();
}
