#include "text_reader.h"

#include <algorithm>
#include <cstring>

#include "syntax.h"

std::size_t TMemorySource::Read(char* buffer, std::size_t size) {
    const std::size_t n = std::min(size, Bytes_.size());
    std::memcpy(buffer, Bytes_.data(), n);
    Bytes_.remove_prefix(n);
    return n;
}

std::optional<std::string_view> TMemorySource::TakeRest() {
    if (!Lend_) return std::nullopt;
    const std::string_view rest = Bytes_;
    Bytes_ = {};
    return rest;
}

TTextReader::TTextReader(TByteSource& source, std::size_t chunkSize)
    : Source_(source), Owned_(chunkSize), Buffer_(Owned_) {}

TTextReader::TTextReader(TByteSource& source, std::vector<char>& buffer) : Source_(source), Buffer_(buffer) {}

bool TTextReader::Fill() {
    if (Pos_ < End_) return true;
    if (SourceDone_) return false;
    Offset_ += End_;
    Pos_ = 0;
    if (const auto rest = Source_.TakeRest()) {
        Data_ = rest->data();
        End_ = rest->size();
    } else {
        Data_ = Buffer_.data();
        End_ = Source_.Read(Buffer_.data(), Buffer_.size());
    }
    SourceDone_ = End_ == 0;
    return End_ != 0;
}

bool TTextReader::AtBlockStart() const {
    return (Offset_ + Pos_) % kCtrlZBlock == 0;
}

bool TTextReader::Eof() {
    if (Ended_) return true;
    if (!Fill()) return true;
    if (Data_[Pos_] == kCtrlZ) Ended_ = true;
    return Ended_;
}

std::string_view TTextReader::Buffered() {
    if (Ended_ || !Fill()) return {};
    return {Data_ + Pos_, End_ - Pos_};
}

std::string_view TTextReader::ReadLine() {
    // Most lines lie whole in the buffer with at most a CR before their LF.
    const char* begin = Data_ + Pos_;
    const auto* lf = static_cast<const char*>(std::memchr(begin, kLineFeed, End_ - Pos_));
    if (lf != nullptr) {
        std::size_t length = static_cast<std::size_t>(lf - begin);
        if (length > 0 && begin[length - 1] == kCarriageReturn) --length;
        if (std::memchr(begin, kCtrlZ, length) == nullptr && std::memchr(begin, kCarriageReturn, length) == nullptr) {
            Pos_ += static_cast<std::size_t>(lf - begin) + 1;
            return {begin, length};
        }
    }
    return ReadSlowLine();
}

std::string_view TTextReader::ReadSlowLine() {
    Line_.clear();
    while (Fill()) {
        const char* begin = Data_ + Pos_;
        const char* end = Data_ + End_;
        const char* stop =
            std::find_if(begin, end, [](char c) { return c == kLineFeed || c == kCarriageReturn || c == kCtrlZ; });
        Line_.append(begin, stop);
        Pos_ += static_cast<std::size_t>(stop - begin);
        if (stop == end) continue;
        if (*stop == kCarriageReturn) {
            ++Pos_;
        } else if (*stop == kLineFeed) {
            ++Pos_;
            break;
        } else {
            if (AtBlockStart()) {
                Ended_ = true;
            } else {
                ++Pos_;
                SkipRestOfLine();
            }
            break;
        }
    }
    return Line_;
}

void TTextReader::SkipRestOfLine() {
    while (Fill()) {
        const char* begin = Data_ + Pos_;
        const char* end = Data_ + End_;
        const char* stop = std::find_if(begin, end, [](char c) { return c == kLineFeed || c == kCtrlZ; });
        Pos_ += static_cast<std::size_t>(stop - begin);
        if (stop == end) continue;
        if (*stop == kCtrlZ) {
            Ended_ = true;
        } else {
            ++Pos_;
        }
        return;
    }
}
