#include "json.h"

#include <charconv>

#include "cp1251.h"

namespace {

// What the writer gathers before it hands a piece to its output.
constexpr std::size_t kPiece = std::size_t{64} * 1024;

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// ASCII that a JSON string holds as it is.
bool IsPlain(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x80 && c != '"' && c != '\\';
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view bytes) {
    if (bytes.empty()) return 0;
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;   // allowed range of the second byte: no overlong forms,
    unsigned char high = 0xBF;  // no surrogates, nothing above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length) return 0;
    const auto second = static_cast<unsigned char>(bytes[1]);
    if (second < low || second > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(bytes[i]))) return 0;
    }
    return length;
}

void AppendJsonString(std::string& out, std::string_view bytes) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        // Paths and names are mostly plain ASCII: such runs go in at once.
        std::size_t plain = i;
        while (plain < bytes.size() && IsPlain(bytes[plain])) ++plain;
        if (plain != i) {
            out.append(bytes.data() + i, plain - i);
            i = plain;
            continue;
        }
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(bytes.substr(i));
            if (length == 0) {
                out += Utf8FromCp1251(bytes.substr(i, 1));
                ++i;
            } else {
                out.append(bytes.substr(i, length));
                i += length;
            }
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    out += '"';
}

void TJsonWriter::Key(std::string_view key) {
    Item();
    AppendJsonString(Text_, key);
    Text_ += ": ";
    AfterKey_ = true;
}

void TJsonWriter::String(std::string_view bytes) {
    Item();
    AppendJsonString(Text_, bytes);
}

void TJsonWriter::Number(int64_t value) {
    Item();
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    Text_.append(digits, end.ptr);
}

void TJsonWriter::Bool(bool value) {
    Item();
    Text_ += value ? "true" : "false";
}

void TJsonWriter::Null() {
    Item();
    Text_ += "null";
}

void TJsonWriter::Open(char bracket, bool multiline) {
    Item();
    Text_ += bracket;
    Levels_.push_back({multiline, true});
}

void TJsonWriter::Close(char bracket) {
    const TLevel level = Levels_.back();
    Levels_.pop_back();
    if (level.Multiline && !level.Empty) NewLine();
    Text_ += bracket;
}

void TJsonWriter::Finish() {
    Text_ += '\n';
    HandOut();
}

void TJsonWriter::HandOut() {
    Out_.Utf8(Text_);
    Text_.clear();
}

void TJsonWriter::Item() {
    if (Text_.size() >= kPiece) HandOut();
    if (AfterKey_) {
        AfterKey_ = false;
        return;
    }
    if (Levels_.empty()) return;
    TLevel& level = Levels_.back();
    if (!level.Empty) Text_ += ',';
    if (level.Multiline) {
        NewLine();
    } else if (!level.Empty) {
        Text_ += ' ';
    }
    level.Empty = false;
}

void TJsonWriter::NewLine() {
    Text_ += '\n';
    Text_.append(2 * Levels_.size(), ' ');
}
