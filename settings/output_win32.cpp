// On a Windows console the bytes would be shown in the console's code page,
// so each piece is turned into UTF-16 from its own code page and written with
// WriteConsoleW; redirected output stays bytes.
#include <windows.h>

#include <string>

#include "output.h"

namespace {

constexpr UINT kTextCodePage = 1251;
constexpr std::size_t kWriteThrough = 16 * 1024;

class TConsoleOutput : public TOutput {
public:
    explicit TConsoleOutput(HANDLE console) : Console_(console) {}
    void Text(std::string_view text) override { Append(kTextCodePage, text); }
    void Bytes(std::string_view bytes) override { Append(CP_ACP, bytes); }
    void Utf8(std::string_view text) override { Append(CP_UTF8, text); }

    bool Flush() override {
        std::size_t done = 0;
        while (done < Wide_.size()) {
            DWORD written = 0;
            const auto size = static_cast<DWORD>(Wide_.size() - done);
            if (!WriteConsoleW(Console_, Wide_.data() + done, size, &written, nullptr) || written == 0) {
                Failed_ = true;
                break;
            }
            done += written;
        }
        Wide_.clear();
        return !Failed_;
    }

private:
    void Append(UINT codePage, std::string_view bytes) {
        if (bytes.empty()) return;
        const int size = static_cast<int>(bytes.size());
        const int wide = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
        const std::size_t at = Wide_.size();
        Wide_.resize(at + static_cast<std::size_t>(wide));
        MultiByteToWideChar(codePage, 0, bytes.data(), size, Wide_.data() + at, wide);
        if (Wide_.size() >= kWriteThrough) Flush();
    }

    HANDLE Console_;
    std::wstring Wide_;
    bool Failed_ = false;
};

}  // namespace

std::unique_ptr<TOutput> StandardOutput(std::FILE* stream) {
    const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        return std::make_unique<TConsoleOutput>(handle);
    }
    return std::make_unique<TByteOutput>(stream);
}
