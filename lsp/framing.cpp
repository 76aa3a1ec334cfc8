#include "framing.h"

#include <cctype>

namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

TReadResult ReadMessage(std::istream& in, std::string& body) {
    const std::string lengthKey = "content-length:";
    long long length = -1;
    bool any = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            if (!any) continue;  // blank lines between messages
            break;
        }
        any = true;
        if (!StartsWithNoCase(line, lengthKey)) continue;
        try {
            std::size_t used = 0;
            const std::string digits = line.substr(lengthKey.size());
            length = std::stoll(digits, &used);
            if (digits.find_first_not_of(" \t", used) != std::string::npos) length = -1;
        } catch (const std::exception&) {
            length = -1;
        }
    }
    if (!in) return TReadResult::End;
    // A body larger than this is no message of ours.
    constexpr long long kMostBytes = 1LL << 31;
    if (length < 0 || length > kMostBytes) return TReadResult::Malformed;
    body.resize(static_cast<std::size_t>(length));
    in.read(body.data(), length);
    return in.gcount() == length ? TReadResult::Message : TReadResult::End;
}

void WriteMessage(std::ostream& out, const std::string& body) {
    out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
}
