// The scan of ScanFiles spread over several threads, for the console checker
// and the language server; the window keeps to one.
#pragma once

#include <functional>
#include <string>

#include "scan_state.h"

// The hardware's threads, at least 1.
unsigned HardwareJobs();

// Runs `work` on `count` - 1 new threads (fewer when the system has no more)
// and `here` on this one; returns when all are done.
void RunOnThreads(unsigned count, const std::function<void()>& work, const std::function<void()>& here);
// The same on HardwareJobs() threads.
void RunOnCores(const std::function<void()>& work, const std::function<void()>& here);

// Leaves `state` as WalkTree of `root` into state.FileList (and Skipped, when
// the state keeps it) and then ScanFiles do, whatever the timing: this thread
// walks and hands each folder's files to `jobs` threads in all, itself among
// them once the walk ends; each file is scanned into records of its own, and
// the records are joined in file order. The read error raised is the first in
// file order, after the records of the files before it. With `jobs` 1 it is
// WalkTree and then ScanFiles.
void WalkAndScanInParallel(const std::string& root, const std::string& mask, TScanState& state, unsigned jobs);
