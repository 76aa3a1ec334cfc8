#include "threads.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <utility>

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

void ForEachIndex(std::size_t count, unsigned jobs, const std::function<void(std::size_t, unsigned)>& body) {
    jobs = static_cast<unsigned>(std::clamp<std::size_t>(count, 1, std::max(1u, jobs)));
    std::vector<std::exception_ptr> failures(count);
    std::atomic<std::size_t> next{0};
    std::atomic<unsigned> lanes{0};
    const auto take = [&] {
        const unsigned lane = lanes++;
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                body(i, lane);
            } catch (...) {
                failures[i] = std::current_exception();
            }
        }
    };
    RunOnThreads(jobs, take, take);
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

TOrderedHandOver::TOrderedHandOver(std::size_t slots, TStep make, TStep handOver)
    : Make_(std::move(make)),
      HandOver_(std::move(handOver)),
      Failed_(std::max<std::size_t>(slots, 1)),
      Ready_(Failed_.size()) {}

void TOrderedHandOver::Extend(std::size_t count) {
    {
        const std::lock_guard<std::mutex> lock(Mutex_);
        Count_ = std::max(Count_, count);
    }
    Changed_.notify_all();
}

void TOrderedHandOver::Close() {
    {
        const std::lock_guard<std::mutex> lock(Mutex_);
        Closed_ = true;
    }
    Changed_.notify_all();
}

void TOrderedHandOver::Abandon(std::exception_ptr failure) {
    {
        const std::lock_guard<std::mutex> lock(Mutex_);
        if (!Failure_) Failure_ = std::move(failure);
    }
    Changed_.notify_all();
}

void TOrderedHandOver::Work(EHandOver handOver) {
    const std::size_t slots = Ready_.size();
    const bool hands = handOver != EHandOver::Never;
    std::unique_lock<std::mutex> lock(Mutex_);
    const auto nextReady = [&] {
        return !Ended() && hands && !Handing_ && Handed_ < Next_ && Ready_[Handed_ % slots] != 0;
    };
    for (;;) {
        Changed_.wait(lock, [&] {
            return Ended() || nextReady() ||
                   (Next_ < Count_ ? Next_ - Handed_ < slots : Closed_ && !(hands && Handed_ < Next_));
        });
        if (nextReady()) {
            HandOverReady(lock);
            continue;
        }
        if (Ended() || Next_ >= Count_) return;
        const std::size_t item = Next_++;
        const std::size_t slot = item % slots;
        lock.unlock();
        std::exception_ptr failure;
        try {
            Make_(item, slot);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        Failed_[slot] = std::move(failure);
        Ready_[slot] = 1;
        if (hands && !Handing_) {
            HandOverReady(lock);
        } else {
            Changed_.notify_all();
        }
    }
}

// Called and left with the lock held; hands over without it.
void TOrderedHandOver::HandOverReady(std::unique_lock<std::mutex>& lock) {
    const std::size_t slots = Ready_.size();
    Handing_ = true;
    while (!Ended() && Handed_ < Count_ && Ready_[Handed_ % slots] != 0) {
        const std::size_t item = Handed_;
        const std::size_t slot = item % slots;
        std::exception_ptr failure = std::exchange(Failed_[slot], nullptr);
        lock.unlock();
        if (!failure) {
            try {
                HandOver_(item, slot);
            } catch (...) {
                failure = std::current_exception();
            }
        }
        lock.lock();
        Ready_[slot] = 0;
        ++Handed_;
        if (failure && !Failure_) Failure_ = std::move(failure);
        Changed_.notify_all();
    }
    Handing_ = false;
}

void TOrderedHandOver::RaiseFailure() const {
    if (Failure_) std::rethrow_exception(Failure_);
}

void HandOverInOrder(std::size_t count, unsigned jobs, std::size_t slots, const TOrderedHandOver::TStep& make,
                     const TOrderedHandOver::TStep& handOver) {
    TOrderedHandOver order(slots, make, handOver);
    order.Extend(count);
    order.Close();
    RunOnThreads(
        static_cast<unsigned>(std::clamp<std::size_t>(count, 1, std::max(1u, jobs))),
        [&] { order.Work(TOrderedHandOver::EHandOver::Never); }, [&] { order.Work(); });
    order.RaiseFailure();
}

TOwnThread::TOwnThread(std::function<void()> run)
    : Failure_(std::make_shared<std::exception_ptr>()), Thread_([failure = Failure_, run = std::move(run)] {
          try {
              run();
          } catch (...) {
              *failure = std::current_exception();
          }
      }) {}

TOwnThread::~TOwnThread() {
    if (Thread_.joinable()) Thread_.join();
}

void TOwnThread::Join() {
    if (Thread_.joinable()) Thread_.join();
    if (*Failure_) std::rethrow_exception(std::exchange(*Failure_, nullptr));
}

void TOwnThread::Leave() {
    if (Thread_.joinable()) Thread_.detach();
}
