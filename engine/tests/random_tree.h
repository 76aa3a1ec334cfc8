// A seeded tree for comparing whole scans: the reader's fuzz corpus, files of
// random lines made of the format's words (some longer than a read chunk) in
// nested folders, and entries that are not plain files.
#pragma once

#include <cstdint>

#include "temp_tree.h"

void MakeRandomTree(TTempTree& tree, uint32_t seed);
