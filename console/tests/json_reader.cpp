#include "json_reader.h"

#include <cstdlib>
#include <stdexcept>

namespace {

class TParser {
public:
    explicit TParser(const std::string& text) : Text_(text) {}

    TJsonValue Document() {
        TJsonValue value = Value();
        Blank();
        if (Pos_ != Text_.size()) Fail("text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error(what + " at byte " + std::to_string(Pos_));
    }
    char Peek() const { return Pos_ < Text_.size() ? Text_[Pos_] : '\0'; }
    void Blank() {
        while (Pos_ < Text_.size() && (Peek() == ' ' || Peek() == '\n' || Peek() == '\r' || Peek() == '\t')) ++Pos_;
    }
    void Expect(char c) {
        Blank();
        if (Peek() != c) Fail(std::string("expected ") + c);
        ++Pos_;
    }
    bool Literal(const char* word) {
        const std::string w = word;
        if (Text_.compare(Pos_, w.size(), w) != 0) return false;
        Pos_ += w.size();
        return true;
    }

    TJsonValue Value() {
        Blank();
        TJsonValue v;
        const char c = Peek();
        if (c == '{') {
            v.Type = TJsonValue::Object;
            ++Pos_;
            Blank();
            if (Peek() == '}') {
                ++Pos_;
                return v;
            }
            do {
                Blank();
                if (Peek() != '"') Fail("expected a key");
                std::string key = StringBody();
                Expect(':');
                if (v.Members.count(key) != 0) Fail("duplicate key " + key);
                v.Members[key] = Value();
                Blank();
            } while (Peek() == ',' && ++Pos_);
            Expect('}');
        } else if (c == '[') {
            v.Type = TJsonValue::Array;
            ++Pos_;
            Blank();
            if (Peek() == ']') {
                ++Pos_;
                return v;
            }
            do {
                v.Items.push_back(Value());
                Blank();
            } while (Peek() == ',' && ++Pos_);
            Expect(']');
        } else if (c == '"') {
            v.Type = TJsonValue::String;
            v.Str = StringBody();
        } else if (Literal("true")) {
            v.Type = TJsonValue::Bool;
            v.Flag = true;
        } else if (Literal("false")) {
            v.Type = TJsonValue::Bool;
        } else if (Literal("null")) {
            v.Type = TJsonValue::Null;
        } else {
            v.Type = TJsonValue::Number;
            v.Num = NumberBody();
        }
        return v;
    }

    double NumberBody() {
        const std::size_t start = Pos_;
        if (Peek() == '-') ++Pos_;
        if (Peek() == '0') {
            ++Pos_;
        } else if (Peek() >= '1' && Peek() <= '9') {
            while (Peek() >= '0' && Peek() <= '9') ++Pos_;
        } else {
            Fail("expected a value");
        }
        if (Peek() == '.') {
            ++Pos_;
            if (!(Peek() >= '0' && Peek() <= '9')) Fail("bad fraction");
            while (Peek() >= '0' && Peek() <= '9') ++Pos_;
        }
        return std::strtod(Text_.substr(start, Pos_ - start).c_str(), nullptr);
    }

    unsigned Hex4() {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i, ++Pos_) {
            const char c = Peek();
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<unsigned>(c - '0');
            } else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
                value |= static_cast<unsigned>((c | 0x20) - 'a' + 10);
            } else {
                Fail("bad \\u escape");
            }
        }
        return value;
    }

    static void Append(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // Decodes one UTF-8 character and re-encodes it; the round trip rejects
    // overlong forms, surrogates and values past U+10FFFF.
    void Utf8Char(std::string& out) {
        const auto lead = static_cast<unsigned char>(Text_[Pos_]);
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0 || lead > 0xF4 || Pos_ + static_cast<std::size_t>(extra) >= Text_.size()) Fail("invalid UTF-8");
        unsigned cp = lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(Text_[Pos_ + k]);
            if ((c & 0xC0) != 0x80) Fail("invalid UTF-8");
            cp = (cp << 6) | (c & 0x3F);
        }
        const unsigned minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) Fail("invalid UTF-8");
        Append(out, cp);
        Pos_ += static_cast<std::size_t>(extra) + 1;
    }

    std::string StringBody() {
        ++Pos_;  // the opening quote
        std::string out;
        for (;;) {
            if (Pos_ >= Text_.size()) Fail("unterminated string");
            const auto c = static_cast<unsigned char>(Text_[Pos_]);
            if (c == '"') {
                ++Pos_;
                return out;
            }
            if (c < 0x20) Fail("control byte in a string");
            if (c >= 0x80) {
                Utf8Char(out);
                continue;
            }
            ++Pos_;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            const char e = Peek();
            ++Pos_;
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u':
                    Append(out, Hex4());
                    break;
                default:
                    Fail("bad escape");
            }
        }
    }

    const std::string& Text_;
    std::size_t Pos_ = 0;
};

}  // namespace

const TJsonValue* TJsonValue::Find(const std::string& key) const {
    const auto it = Members.find(key);
    return it == Members.end() ? nullptr : &it->second;
}

const TJsonValue& TJsonValue::operator[](const std::string& key) const {
    static const TJsonValue kMissing;
    const TJsonValue* member = Find(key);
    return member != nullptr ? *member : kMissing;
}

std::optional<TJsonValue> ParseJson(const std::string& text, std::string* error) {
    try {
        return TParser(text).Document();
    } catch (const std::runtime_error& e) {
        if (error != nullptr) *error = e.what();
        return std::nullopt;
    }
}
