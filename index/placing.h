// Turns the scanner's records of one file into items placed as the editor
// counts positions, with their names as written.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "file_entry.h"
#include "scan_state.h"

// One rule's records of one file, as a scan of that file alone left them.
struct TKindSource {
    int32_t Rule;
    const TNameList* UsedNames;
    const TRefTable* Uses;
    const TNameList* DefinedNames;
    const TRefTable* Declarations;
};

// The kinds that a scan of one file recorded: images when `images`, then
// each rule of the state's.
std::vector<TKindSource> KindsOf(const TScanState& state, bool images);

// The name of a placed item, as recorded.
struct TPlacedName {
    int32_t Rule;
    std::string_view Key;
};

// Gives `entry` the items of the records of `kinds`, placed in `bytes`,
// which are in entry.Encoding; `asRead` says that their names are UTF-8 as
// they stand. The items of all kinds are in line order; `names` gets the
// name of each use, then of each declaration. Their name entries are left
// null for the caller to link.
void PlaceItems(TFileEntry& entry, std::string_view bytes, bool asRead, TUnits units,
                const std::vector<TKindSource>& kinds, std::vector<TPlacedName>& names);

// The bytes without their CRs, as the reader reads them.
std::string WithoutCr(std::string_view bytes);
