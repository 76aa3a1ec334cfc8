// The one place where the programs start threads: a loop whose indices the
// threads share, a hand-over of results in item order, and a thread of its own.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The hardware's threads, at least 1.
unsigned HardwareJobs();

// Runs `work` on `count` - 1 new threads (fewer when the system has no more)
// and `here` on this one; returns when all are done.
void RunOnThreads(unsigned count, const std::function<void()>& work, const std::function<void()>& here);

// Calls body(index, lane) for every index below `count`, on up to `jobs`
// threads, this one among them: each thread takes the next index in turn.
// `lane` is below `jobs` and the same for all the calls of one thread, for
// what a thread keeps between its calls. A call that throws ends no other;
// once all are done, the failure of the lowest index is raised.
void ForEachIndex(std::size_t count, unsigned jobs, const std::function<void(std::size_t, unsigned)>& body);

// Items made on several threads and handed over one at a time in item order,
// no more than `slots` ahead of the one handed over. make(item, slot) fills
// slot `slot` (below `slots`) for the item; handOver(item, slot) takes it, on
// whichever thread finds it ready. A failure of make is raised at the item's
// turn, once the items before it are handed over; a failure of handOver, or
// an abandon, ends the work at once. Nothing more is handed over after one.
class TOrderedHandOver {
public:
    using TStep = std::function<void(std::size_t item, std::size_t slot)>;
    TOrderedHandOver(std::size_t slots, TStep make, TStep handOver);

    // Items below `count` exist from now on.
    void Extend(std::size_t count);
    // No item is added after the ones there are.
    void Close();
    // Ends the work with `failure` (the first one given is kept).
    void Abandon(std::exception_ptr failure);
    enum class EHandOver { WhenReady, Never };
    // Makes items, and hands over those that are ready unless told never to,
    // until all are made (and handed over, by a thread that hands over) or the
    // work ends.
    void Work(EHandOver handOver = EHandOver::WhenReady);
    // After every Work has returned: raises the failure that ended the work.
    void RaiseFailure() const;

private:
    bool Ended() const { return Failure_ != nullptr; }
    void HandOverReady(std::unique_lock<std::mutex>& lock);

    const TStep Make_;
    const TStep HandOver_;
    std::vector<std::exception_ptr> Failed_;  // by slot: what its item's make raised
    std::vector<char> Ready_;                 // by slot
    std::mutex Mutex_;
    std::condition_variable Changed_;
    std::size_t Count_ = 0;
    std::size_t Next_ = 0;    // the next item to make
    std::size_t Handed_ = 0;  // items handed over
    bool Closed_ = false;
    bool Handing_ = false;
    std::exception_ptr Failure_;
};

// Makes `count` items on up to `jobs` threads and hands them over in order,
// all on this thread.
void HandOverInOrder(std::size_t count, unsigned jobs, std::size_t slots, const TOrderedHandOver::TStep& make,
                     const TOrderedHandOver::TStep& handOver);

// Runs `run` on a thread of its own until it returns. Join (or the
// destructor) waits for it; Join raises what `run` raised.
class TOwnThread {
public:
    explicit TOwnThread(std::function<void()> run);
    TOwnThread(const TOwnThread&) = delete;
    TOwnThread& operator=(const TOwnThread&) = delete;
    ~TOwnThread();
    void Join();
    // Lets the thread run on past this object, to the process's end: for a
    // thread that waits on input that may never come. What `run` needs must
    // live as long.
    void Leave();

private:
    std::shared_ptr<std::exception_ptr> Failure_;
    std::thread Thread_;
};
