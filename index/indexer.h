// Reads and scans the definition files into the store: the whole walk of many
// files on every core, and one file again after a change.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "index_store.h"

// Walks the folders and indexes each definition file that the store does not
// hold by its path. The walk passes over the folders declared elsewhere, and
// each folder after the first over what the ones before it reached. Returns
// the new files that have findings.
std::vector<int32_t> IndexTrees(TIndexStore& store, const std::vector<std::string>& folders);

// Reads the disk's bytes of `files`, none of them open, scans each into its
// items and links them; a file that cannot be read is gone. Returns the
// files read. Their findings are left for the caller.
std::vector<int32_t> ScanFiles(TIndexStore& store, const std::vector<int32_t>& files);

// Scans every file again, as the rules now read them, into a new table of
// names; returns the files whose findings changed.
std::vector<int32_t> Reindex(TIndexStore& store);

// Scans a file's bytes (the editor's UTF-8 while it is open) into its items
// again, links them, and returns the files whose findings changed with it.
std::vector<int32_t> Rescan(TIndexStore& store, int32_t file, std::string_view bytes);

// Finds the findings of `files` again; returns those that changed, in order.
std::vector<int32_t> RefreshFindings(TIndexStore& store, const std::unordered_set<int32_t>& files);
