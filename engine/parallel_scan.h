// The scan of ScanFiles spread over several threads, for the console checker
// and the language server; the window keeps to one.
#pragma once

#include <string>

#include "scan_state.h"
#include "threads.h"  // HardwareJobs, for the callers that choose the jobs

// Leaves `state` as WalkTree of `root` into state.FileList (and Skipped, when
// the state keeps it) and then ScanFiles do, whatever the timing: this thread
// walks and hands each folder's files to `jobs` threads in all, itself among
// them once the walk ends; each file is scanned into records of its own, and
// the records are joined in file order. The read error raised is the first in
// file order, after the records of the files before it. With `jobs` 1 it is
// WalkTree and then ScanFiles.
void WalkAndScanInParallel(const std::string& root, const std::string& mask, TScanState& state, unsigned jobs);
