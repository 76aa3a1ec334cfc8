#include "parallel_scan.h"

#include <exception>
#include <mutex>
#include <utility>
#include <vector>

#include "fs.h"
#include "line_scanner.h"
#include "threads.h"
#include "walker.h"

namespace {

// Files that may be scanned ahead of the join, per thread: enough that one
// long file, or a thread the system holds back, stalls no other thread; few
// enough that their records stay small.
constexpr std::size_t kSlotsPerJob = 32;

// A cold disk serves the reads of the files this far ahead, per thread,
// while the threads read theirs: reads in flight without buffers of ours.
constexpr unsigned kAheadPerJob = 2;

// Every thread takes the next file and scans it into records of its own;
// the records are joined into the main state in file order, by one thread
// at a time.
class TParallelScan {
public:
    TParallelScan(TScanState& state, unsigned jobs)
        : State_(state),
          Listed_(state.FileList.Count()),
          Ahead_(static_cast<int32_t>(jobs * kAheadPerJob)),
          Slots_(jobs * kSlotsPerJob),
          Buffers_(jobs),
          Order_(
              Slots_.size(), [this](std::size_t file, std::size_t slot) { Scan(file, Slots_[slot]); },
              [this](std::size_t, std::size_t slot) { Join(Slots_[slot]); }) {
        for (TFileSlot& slot : Slots_) {
            slot.Records.KeepDefinedPlaces = state.KeepDefinedPlaces;
            slot.Records.KeepSkipped = state.KeepSkipped;
            slot.Records.NoteEncodings = state.NoteEncodings;
            slot.Records.Rules = state.Rules;
        }
        Order_.Extend(static_cast<std::size_t>(Listed_));
    }

    // Runs `list` on this thread, which then scans too; the other threads
    // scan the files that `list` publishes as it goes.
    void Run(unsigned jobs, const std::function<void()>& list) {
        RunOnThreads(
            jobs, [this] { Order_.Work(); },
            [&] {
                try {
                    list();
                } catch (...) {
                    Order_.Abandon(std::current_exception());
                }
                Order_.Close();
                Order_.Work();
            });
        Order_.RaiseFailure();
    }

    // Adds `files` to the list, for the threads to take.
    void Publish(TPathList& files) {
        if (files.Count() == 0) return;
        std::size_t listed = 0;
        {
            const std::lock_guard<std::mutex> lock(ListMutex_);
            State_.FileList.Append(files);
            Listed_ = State_.FileList.Count();
            listed = static_cast<std::size_t>(Listed_);
        }
        files.Truncate();
        Order_.Extend(listed);
    }

private:
    // One file's records, waiting for their turn in the join.
    struct TFileSlot {
        TScanState Records;
        std::exception_ptr Failure;  // a read error, raised once the records up to it are joined
    };

    void Scan(std::size_t file, TFileSlot& slot) {
        std::string path;
        std::string ahead;
        std::vector<char> buffer;
        {
            // The list may grow, and move, while the lock is not held.
            const std::lock_guard<std::mutex> lock(ListMutex_);
            path = State_.FileList[static_cast<int32_t>(file)];
            if (static_cast<int32_t>(file) + Ahead_ < Listed_)
                ahead = State_.FileList[static_cast<int32_t>(file) + Ahead_];
            buffer.swap(Buffers_.back());
            Buffers_.pop_back();
        }
        if (buffer.empty()) buffer.resize(kReadChunk);
        if (!ahead.empty()) AdviseReadSoon(ahead);
        try {
            TLineScanner(slot.Records, buffer).ScanFile(path, static_cast<uint32_t>(file));
        } catch (...) {
            slot.Failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(ListMutex_);
        Buffers_.push_back(std::move(buffer));
    }

    void Join(TFileSlot& slot) {
        const std::exception_ptr failure = std::exchange(slot.Failure, nullptr);
        State_.AppendRecords(slot.Records);
        slot.Records.TruncateRecords();
        if (failure) std::rethrow_exception(failure);
    }

    TScanState& State_;
    std::mutex ListMutex_;  // guards State_.FileList, Listed_ and Buffers_
    int32_t Listed_;        // files in State_.FileList
    const int32_t Ahead_;
    std::vector<TFileSlot> Slots_;
    std::vector<std::vector<char>> Buffers_;  // one for each thread, lent while it reads
    TOrderedHandOver Order_;
};

}  // namespace

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
