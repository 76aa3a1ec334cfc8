// The index's side of the disk: whole-file reads, and paths compared as the
// platform compares them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads a whole file into the front of `buffer`, which only grows, so that
// one buffer serves a whole indexing without clearing memory per file.
// False when the file cannot be opened or read; `reason` then gets the
// platform's message (empty for an entry that is no regular file).
bool ReadDisk(const std::string& path, std::vector<char>& buffer, std::size_t& size, std::string* reason = nullptr);
std::optional<std::string> ReadDisk(const std::string& path);

// Paths name one file when their keys are equal: on Windows ASCII case is
// ignored and either slash separates.
std::string KeyOfPath(std::string_view path);
uint64_t HashOfPathKey(std::string_view path);
bool SamePath(std::string_view a, std::string_view b);
// Whether `path` lies below the folder (not the folder itself).
bool IsBelow(std::string_view path, std::string_view folder);
// The folder part of a path, without its last separator; empty when none.
std::string_view FolderOf(std::string_view path);
std::string_view FileNameOf(std::string_view path);
