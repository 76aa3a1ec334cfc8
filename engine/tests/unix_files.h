// Unix-only kinds of directory entries (symbolic links, FIFOs) made from a
// test, natively or from the Windows build under Wine, whose own calls make
// no Unix links: there the test starts /bin/ln or /usr/bin/mkfifo.
#pragma once

#include <string>

// `target` is kept as given ("..", "x/y", "/dev/zero") unless it names a
// drive; `link` is a path of the running platform. False where none can be made.
bool MakeUnixLink(const std::string& target, const std::string& link);
bool MakeFifo(const std::string& path);
// Removes the entries made below `below` before the tree itself is removed:
// Wine's removal would follow such links and wait on such FIFOs.
void RemoveUnixEntries(const std::string& below);
