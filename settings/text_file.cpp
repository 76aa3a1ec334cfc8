#include "text_file.h"

#include "fs.h"
#include "io_error.h"

TMaybeComplaint ReadTextFile(const std::string& path, std::string& bytes) {
    TInputFile file;
    std::string reason;
    if (!file.Open(path, &reason)) return TComplaint{utCannotRead, path, reason};
    try {
        char chunk[64 * 1024];
        while (const std::size_t got = file.Read(chunk, sizeof chunk)) bytes.append(chunk, got);
        file.Close();
    } catch (const EInOutError& error) {
        return TComplaint{utCannotRead, path, error.Reason()};
    }
    return {};
}

std::vector<std::string_view> TextLines(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        lines.push_back(bytes.substr(0, end));
        if (end == std::string_view::npos) break;
        const std::size_t next = bytes.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
        bytes.remove_prefix(next);
    }
    return lines;
}
