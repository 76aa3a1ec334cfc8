// The findings of one file: its uses that nothing declares, and, as asked,
// its declarations that nothing uses and those of names declared twice,
// rule by rule.
#pragma once

#include <cstdint>
#include <vector>

#include "elsewhere.h"
#include "file_entry.h"
#include "findings.h"

// In the order of their places in the file.
std::vector<TFinding> FindingsOf(int32_t file, const std::vector<TFileEntry>& files,
                                 const TDeclaredElsewhere& elsewhere, TFindingKinds kinds);
