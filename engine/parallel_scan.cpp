#include "parallel_scan.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "fs.h"
#include "line_scanner.h"
#include "walker.h"

namespace {

// Files that may be scanned ahead of the join, per thread: enough that one
// long file, or a thread the system holds back, stalls no other thread; few
// enough that their records stay small.
constexpr std::size_t kSlotsPerJob = 32;

// A cold disk serves the reads of the files this far ahead, per thread,
// while the threads read theirs: reads in flight without buffers of ours.
constexpr unsigned kAheadPerJob = 2;

// One file's records, waiting for their turn in the join.
struct TFileSlot {
    TScanState Records;
    std::exception_ptr Failure;
    bool Done = false;
};

// Every thread takes the next file, scans it into a free slot, and joins the
// slots that are done in file order unless another thread is joining. The
// main state's records are written by the joining thread alone.
class TParallelScan {
public:
    TParallelScan(TScanState& state, unsigned jobs)
        : State_(state),
          Listed_(state.FileList.Count()),
          Ahead_(static_cast<int32_t>(jobs * kAheadPerJob)),
          Slots_(jobs * kSlotsPerJob) {
        for (TFileSlot& slot : Slots_) {
            slot.Records.KeepDefinedPlaces = state.KeepDefinedPlaces;
            slot.Records.KeepSkipped = state.KeepSkipped;
            slot.Records.NoteEncodings = state.NoteEncodings;
            slot.Records.Rules = state.Rules;
        }
    }

    // Runs `list` on this thread, which then scans too; the other threads
    // scan the files that `list` publishes as it goes.
    void Run(unsigned jobs, const std::function<void()>& list) {
        RunOnThreads(
            jobs, [this] { Work(); },
            [&] {
                try {
                    list();
                } catch (...) {
                    const std::lock_guard<std::mutex> lock(Mutex_);
                    Failure_ = std::current_exception();
                    Stop_ = true;
                }
                Walked();
                Work();
            });
        if (Failure_) std::rethrow_exception(Failure_);
    }

    // Adds `files` to the list, for the threads to take.
    void Publish(TPathList& files) {
        if (files.Count() == 0) return;
        {
            const std::lock_guard<std::mutex> lock(Mutex_);
            State_.FileList.Append(files);
            Listed_ = State_.FileList.Count();
        }
        Changed_.notify_all();
        files.Truncate();
    }

private:
    void Walked() {
        {
            const std::lock_guard<std::mutex> lock(Mutex_);
            Walked_ = true;
        }
        Changed_.notify_all();
    }

    TFileSlot& SlotOf(int32_t file) { return Slots_[static_cast<std::size_t>(file) % Slots_.size()]; }
    bool SlotFree() const { return static_cast<std::size_t>(Next_ - Joined_) < Slots_.size(); }

    void Work() {
        std::vector<char> buffer(kReadChunk);
        std::string path;
        std::string ahead;
        std::unique_lock<std::mutex> lock(Mutex_);
        for (;;) {
            Changed_.wait(lock, [this] { return Stop_ || (Next_ < Listed_ ? SlotFree() : Walked_); });
            if (Stop_ || Next_ >= Listed_) return;
            const int32_t file = Next_++;
            TFileSlot& slot = SlotOf(file);
            // The list may grow, and move, once the lock is let go.
            path = State_.FileList[file];
            ahead.clear();
            if (file + Ahead_ < Listed_) ahead = State_.FileList[file + Ahead_];
            lock.unlock();
            if (!ahead.empty()) AdviseReadSoon(ahead);
            try {
                TLineScanner(slot.Records, buffer).ScanFile(path, static_cast<uint32_t>(file));
            } catch (...) {
                slot.Failure = std::current_exception();
            }
            lock.lock();
            slot.Done = true;
            if (!Joining_) JoinDone(lock);
        }
    }

    // Called and left with the lock held; joins without it.
    void JoinDone(std::unique_lock<std::mutex>& lock) {
        Joining_ = true;
        while (!Stop_ && Joined_ < Listed_ && SlotOf(Joined_).Done) {
            TFileSlot& slot = SlotOf(Joined_);
            lock.unlock();
            std::exception_ptr failure = std::exchange(slot.Failure, nullptr);
            try {
                State_.AppendRecords(slot.Records);
            } catch (...) {
                failure = std::current_exception();
            }
            slot.Records.TruncateRecords();
            lock.lock();
            slot.Done = false;
            ++Joined_;
            if (failure) {
                Failure_ = failure;
                Stop_ = true;
            }
            Changed_.notify_all();
        }
        Joining_ = false;
    }

    TScanState& State_;
    int32_t Listed_;       // files in State_.FileList
    bool Walked_ = false;  // no more will come
    const int32_t Ahead_;
    std::vector<TFileSlot> Slots_;
    std::mutex Mutex_;
    std::condition_variable Changed_;  // a slot freed, files listed, or the list whole
    int32_t Next_ = 0;                 // the next file to scan
    int32_t Joined_ = 0;               // files joined into State_
    bool Joining_ = false;
    bool Stop_ = false;
    std::exception_ptr Failure_;
};

}  // namespace

unsigned HardwareJobs() {
    return std::max(1u, std::thread::hardware_concurrency());
}

void RunOnThreads(unsigned count, const std::function<void()>& work, const std::function<void()>& here) {
    std::vector<std::thread> threads;
    for (unsigned j = 1; j < count; ++j) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads do the same work
        }
    }
    here();
    for (std::thread& thread : threads) thread.join();
}

void RunOnCores(const std::function<void()>& work, const std::function<void()>& here) {
    RunOnThreads(HardwareJobs(), work, here);
}

void WalkAndScanInParallel(const std::string& root, const std::string& mask, TScanState& state, unsigned jobs) {
    if (jobs <= 1) {
        WalkTree(root, mask, state.FileList, state.KeepSkipped ? &state.Skipped : nullptr, {}, state.PassOver);
        ScanFiles(state);
        return;
    }
    TParallelScan scan(state, jobs);
    // The walk's folders come first in Skipped, as when the walk ends before the scan.
    TSkippedList folders;
    TPathList listed;
    scan.Run(jobs, [&] {
        WalkTree(
            root, mask, listed, state.KeepSkipped ? &folders : nullptr, [&] { scan.Publish(listed); }, state.PassOver);
    });
    state.Skipped.insert(state.Skipped.begin(), folders.begin(), folders.end());
}
