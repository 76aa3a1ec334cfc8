// What the editor asks of the index, answered from what it holds: the item
// under a position, the places of a name, completion, hover, the closest
// declared names and the symbols. Nothing here changes the index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "index_store.h"

struct TCompletion {
    TRange Replace;  // the value typed so far
    std::vector<std::string> Names;
};

struct THover {
    std::string Block;  // the declaration's lines, in UTF-8
    int32_t File;
    TRange Range;
};

struct TSymbol {
    std::string Name;
    TPlace Place;
    int32_t Rule = kImageRule;
};

// The use or declaration under a position; null when there is none.
const TOccurrence* OccurrenceAt(const TIndexStore& store, int32_t file, TPosition position);
std::vector<TPlace> DeclarationsOf(const TIndexStore& store, int32_t rule, const std::string& key);
std::vector<TPlace> UsesOf(const TIndexStore& store, int32_t rule, const std::string& key);
// The declared names that may stand where the value is typed: of images at an
// image key, else of the rule whose use takes the token there.
std::optional<TCompletion> CompletionAt(const TIndexStore& store, int32_t file, TPosition position);
std::optional<THover> HoverAt(const TIndexStore& store, int32_t file, TPosition position);
// Declared names of `rule` closest to `key` by edit distance, nearest first, as written.
std::vector<std::string> ClosestNames(const TIndexStore& store, int32_t rule, const std::string& key,
                                      std::size_t count);
std::vector<TSymbol> DocumentSymbols(const TIndexStore& store, int32_t file);
std::vector<TSymbol> WorkspaceSymbols(const TIndexStore& store, const std::string& query);
