#include "open_texts.h"

#include <algorithm>

const std::string* TOpenTexts::Find(int32_t file) const {
    const auto it = Texts_.find(file);
    return it == Texts_.end() ? nullptr : &it->second;
}

void TOpenTexts::Set(int32_t file, std::string utf8) {
    Texts_[file] = std::move(utf8);
}

const std::string& TOpenTexts::Edit(int32_t file, TRange range, const std::string& utf8) {
    std::string& text = Texts_.at(file);
    const TLineMap map(text, TEncoding::Utf8, Units_);
    const std::size_t begin = map.OffsetOf(range.Start);
    const std::size_t end = std::max(begin, map.OffsetOf(range.End));
    text.replace(begin, end - begin, utf8);
    return text;
}

void TOpenTexts::Close(int32_t file) {
    Texts_.erase(file);
}
