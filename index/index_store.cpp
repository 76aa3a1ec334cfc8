#include "index_store.h"

#include "index_disk.h"

int32_t TIndexStore::AddFile(std::string_view path) {
    const auto file = static_cast<int32_t>(Files.size());
    Paths.Add(path);
    Files.emplace_back();
    ByPath.Insert(file, Paths);
    return file;
}

std::string TIndexStore::BytesOf(int32_t file) const {
    if (const std::string* text = OpenTexts.Find(file)) return *text;
    return ReadDisk(PathOf(file)).value_or("");
}

TEncoding TIndexStore::DiskEncodingOf(std::string_view bytes) const {
    switch (Settings.Encoding) {
        case TEncodingChoice::Utf8:
            return TEncoding::Utf8;
        case TEncodingChoice::Cp1251:
            return TEncoding::Cp1251;
        default:
            return DetectEncoding(bytes);
    }
}

void TIndexStore::SetRules() {
    RuleSet.reset();
    if (!Settings.Rules.empty()) RuleSet.emplace(Settings.Rules);
}
