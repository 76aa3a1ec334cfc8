#include "framing.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

constexpr std::string_view kLengthKey = "content-length:";
// A header line longer than this is no header of ours.
constexpr std::size_t kMostHeaderBytes = 1024;

bool StartsWithNoCase(std::string_view text, std::string_view lowered) {
    if (text.size() < lowered.size()) return false;
    for (std::size_t i = 0; i < lowered.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != lowered[i]) return false;
    }
    return true;
}

bool IsJsonBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where the array or object that opens `bytes` closes (just past it); npos
// when it does not close, 0 when the bytes open with neither.
std::size_t JsonValueEnd(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size() && IsJsonBlank(bytes[i])) ++i;
    if (i == bytes.size() || (bytes[i] != '{' && bytes[i] != '[')) return 0;
    std::size_t depth = 0;
    bool inString = false;
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// The value of a Content-Length header: digits alone, blanks around them.
bool LengthOf(std::string_view value, std::size_t& length) {
    const std::size_t begin = value.find_first_not_of(" \t");
    const std::size_t end = value.find_last_not_of(" \t");
    if (begin == std::string_view::npos) return false;
    value = value.substr(begin, end + 1 - begin);
    if (value.size() > 10) return false;
    std::size_t n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    length = n;
    return n <= kMostBodyBytes;
}

}  // namespace

bool TFrameReader::Get(char& c) {
    if (PendingAt_ < Pending_.size()) {
        c = Pending_[PendingAt_++];
        return true;
    }
    return static_cast<bool>(In_.get(c));
}

void TFrameReader::Unread(const std::string& bytes) {
    Pending_ = bytes + Pending_.substr(PendingAt_);
    PendingAt_ = 0;
}

bool TFrameReader::SkipToHeader() {
    std::size_t matched = 0;
    char c = 0;
    while (matched < kLengthKey.size() && Get(c)) {
        const char lowered = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        matched = lowered == kLengthKey[matched] ? matched + 1 : lowered == kLengthKey[0] ? 1 : 0;
    }
    if (matched < kLengthKey.size()) return false;
    Unread(std::string(kLengthKey));
    return true;
}

TReadResult TFrameReader::ReadHeaders(std::size_t& length) {
    bool any = false;
    bool haveLength = false;
    std::string line;
    for (;;) {
        line.clear();
        char c = 0;
        while (Get(c) && c != '\n') {
            if (line.size() == kMostHeaderBytes) return TReadResult::Malformed;
            line += c;
        }
        if (c != '\n') return TReadResult::End;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            if (!any) continue;  // blank lines between messages
            return haveLength ? TReadResult::Message : TReadResult::Malformed;
        }
        any = true;
        if (StartsWithNoCase(line, kLengthKey)) {
            if (haveLength || !LengthOf(std::string_view(line).substr(kLengthKey.size()), length))
                return TReadResult::Malformed;
            haveLength = true;
        } else if (line.find(':') == std::string::npos) {
            return TReadResult::Malformed;
        }
    }
}

TReadResult TFrameReader::ReadBody(std::size_t length, std::string& body) {
    body.assign(Pending_, PendingAt_, length);
    PendingAt_ += body.size();
    // The body grows as its bytes come, never to a length merely announced.
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    while (body.size() < length) {
        const std::size_t want = std::min(kChunk, length - body.size());
        const std::size_t had = body.size();
        body.resize(had + want);
        In_.read(body.data() + had, static_cast<std::streamsize>(want));
        body.resize(had + static_cast<std::size_t>(In_.gcount()));
        if (body.size() < had + want) return TReadResult::End;
    }
    return TReadResult::Message;
}

TReadResult TFrameReader::Next(std::string& body) {
    if (Lost_ && !SkipToHeader()) return TReadResult::End;
    std::size_t length = 0;
    TReadResult read = ReadHeaders(length);
    if (read == TReadResult::Message) read = ReadBody(length, body);
    if (read == TReadResult::End) return read;
    if (read == TReadResult::Message) {
        const std::size_t end = JsonValueEnd(body);
        const bool cut = end == std::string::npos;
        const bool overrun = !cut && end > 0 &&
                             std::any_of(body.begin() + static_cast<std::ptrdiff_t>(end), body.end(),
                                         [](char c) { return !IsJsonBlank(c); });
        Lost_ = cut || overrun;
        if (!Lost_) return read;
        // What follows the value may be the next frame's header.
        if (overrun) Unread(body.substr(end));
    }
    Lost_ = true;
    return TReadResult::Malformed;
}

void WriteMessage(std::ostream& out, const std::string& body) {
    out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
}
