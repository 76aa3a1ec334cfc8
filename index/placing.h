// Turns the scanner's records of one file into items placed as the editor
// counts positions, with their names as written.
#pragma once

#include <cstdint>
#include <string_view>

#include "file_entry.h"
#include "scan_state.h"

// Where the next file's records start in a scan of many files.
struct TRecordStart {
    int32_t Use = 0;
    int32_t Declaration = 0;
};

// Gives `entry` the items of its records (file `scanned` of `state`, from
// `next` on, which moves past them), placed in `bytes`, which are in
// entry.Encoding; `asRead` says that their names are UTF-8 as they stand.
// Use k and declaration k are those of the k-th records; their name entries
// are left null for the caller to link.
void PlaceItems(TFileEntry& entry, std::string_view bytes, bool asRead, TUnits units, const TScanState& state,
                uint32_t scanned, TRecordStart& next);

// The bytes without their CRs, as the reader reads them.
std::string WithoutCr(std::string_view bytes);
