// What the index keeps of one definition file: its uses and declarations where
// they stand, and its findings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "names.h"
#include "positions.h"

// A name where it stands in its file: a use or a declaration.
struct TOccurrence {
    TNameEntry* Entry;
    std::string_view Written;  // as written, in UTF-8, in its file's WrittenNames
    TRange Range;
    int32_t ReaderLine;
    const std::string& Key() const { return Entry->Key; }
    int32_t Rule() const { return Entry->Rule; }
};

struct TPlace {
    int32_t File;
    TRange Range;
    bool operator==(const TPlace& o) const { return File == o.File && Range == o.Range; }
};

enum class TFindingKind { Undeclared, Unused, Duplicate };

struct TFinding {
    TFindingKind Kind;
    TRange Range;
    std::string Name;             // as written, in UTF-8
    std::vector<TPlace> Related;  // the other declarations of a duplicate
    int32_t Rule = kImageRule;
    bool operator==(const TFinding& o) const {
        return Kind == o.Kind && Rule == o.Rule && Range == o.Range && Name == o.Name && Related == o.Related;
    }
};

// The path of a file lives in the index's list of paths, under the same id.
struct TFileEntry {
    // Of the bytes its items were placed in: the editor's UTF-8 while open.
    TEncoding Encoding = TEncoding::Utf8;
    TEncoding DiskEncoding = TEncoding::Utf8;
    bool Open = false;
    bool Gone = false;  // removed from the workspace; the id stays unused
    std::vector<TOccurrence> Uses;
    std::vector<TOccurrence> Declarations;
    std::vector<char> WrittenNames;  // the items' names end to end: one block, not one each
    std::vector<TFinding> Findings;
};
