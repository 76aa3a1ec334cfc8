// SARIF counts columns in code points, while the scan counts bytes of the
// line as read. The lines of the files with findings are read again to
// convert them.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "scan_state.h"

// The code points of `bytes` as the JSON strings read them: a valid UTF-8
// sequence is one, and so is every other byte (one Windows-1251 character).
uint32_t CodePoints(std::string_view bytes);

// The 1-based code point columns {start, end} of the bytes of `line` from
// the 1-based byte `column` on, `length` of them; the byte columns when the
// line is shorter than that.
std::pair<uint32_t, uint32_t> CodePointColumns(std::string_view line, uint32_t column, uint32_t length);

class TCodePointColumns {
public:
    // Notes a place whose columns are wanted.
    void Want(const TRefRec& place);
    // Reads each file that holds a wanted place once, with the scan's reader.
    void Read(const TScanState& state);
    // The place's columns; the byte columns where its line was not read again.
    std::pair<uint32_t, uint32_t> Of(const TRefRec& place) const;

private:
    struct TPlace {
        TRefRec Bytes;
        std::pair<uint32_t, uint32_t> Points;
    };
    std::vector<TPlace> Places_;  // sorted by Read
};
