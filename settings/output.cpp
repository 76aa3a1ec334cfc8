#include "output.h"

#include "cp1251.h"

namespace {

constexpr std::size_t kWriteThrough = std::size_t{64} * 1024;

}  // namespace

void TByteOutput::Text(std::string_view text) {
    Buffer_ += Utf8FromCp1251(text);
    WriteThrough();
}

void TByteOutput::Bytes(std::string_view bytes) {
    Append(bytes);
}

void TByteOutput::Utf8(std::string_view text) {
    Append(text);
}

// A large piece, such as one of a JSON document's, goes to the stream as it is
// instead of through one more copy in the buffer.
void TByteOutput::Append(std::string_view bytes) {
    if (Stream_ == nullptr || bytes.size() < kWriteThrough) {
        Buffer_ += bytes;
        WriteThrough();
        return;
    }
    if (!Buffer_.empty() && std::fwrite(Buffer_.data(), 1, Buffer_.size(), Stream_) != Buffer_.size()) Failed_ = true;
    Buffer_.clear();
    if (std::fwrite(bytes.data(), 1, bytes.size(), Stream_) != bytes.size()) Failed_ = true;
}

void TByteOutput::WriteThrough() {
    if (Stream_ != nullptr && Buffer_.size() >= kWriteThrough) Flush();
}

bool TByteOutput::Flush() {
    if (Stream_ == nullptr) return true;
    if (!Buffer_.empty() && std::fwrite(Buffer_.data(), 1, Buffer_.size(), Stream_) != Buffer_.size()) Failed_ = true;
    Buffer_.clear();
    if (std::fflush(Stream_) != 0) Failed_ = true;
    return !Failed_;
}
