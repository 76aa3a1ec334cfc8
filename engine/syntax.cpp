#include "syntax.h"

std::size_t LeadingBlanks(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && IsBlank(text[n])) ++n;
    return n;
}

std::string_view TrimBlanks(std::string_view text) {
    text.remove_prefix(LeadingBlanks(text));
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string AsciiLowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view lowered) {
    if (text.size() != lowered.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (AsciiLower(text[i]) != lowered[i]) return false;
    }
    return true;
}

std::size_t CommentStart(std::string_view text) {
    const std::size_t semicolon = text.find(kComment);
    const std::size_t slashes = text.substr(0, semicolon).find(kSecondComment);
    return slashes != std::string_view::npos ? slashes : semicolon != std::string_view::npos ? semicolon : text.size();
}

bool IsDefinitionFile(std::string_view path) {
    return path.size() > kDefinitionExtension.size() &&
           EqualsIgnoringAsciiCase(path.substr(path.size() - kDefinitionExtension.size()), kDefinitionExtension);
}
