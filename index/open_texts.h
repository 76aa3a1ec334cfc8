// The texts the editor holds for its open files, in UTF-8 as the editor sent
// them: while a file is open its text, not the disk's, is the truth.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "positions.h"

class TOpenTexts {
public:
    explicit TOpenTexts(TUnits units = TUnits::Utf16) : Units_(units) {}

    // Null when the file is not open.
    const std::string* Find(int32_t file) const;
    void Set(int32_t file, std::string utf8);
    // Replaces a range of an open file's text, counted in the editor's units.
    const std::string& Edit(int32_t file, TRange range, const std::string& utf8);
    void Close(int32_t file);

private:
    TUnits Units_;
    std::unordered_map<int32_t, std::string> Texts_;
};
