#include "input_thread.h"

#include <condition_variable>
#include <deque>
#include <mutex>

struct TInputThread::TQueue {
    std::mutex Mutex;
    std::condition_variable Arrived;
    std::deque<TIncoming> Messages;
    bool Ended = false;
};

namespace {

// A tied stream is flushed before each read: std::cin would flush std::cout
// on the reading thread while the server writes to it on its own.
std::istream& Untied(std::istream& in) {
    in.tie(nullptr);
    return in;
}

}  // namespace

TInputThread::TInputThread(std::istream& in)
    : Queue_(std::make_shared<TQueue>()), Thread_([queue = Queue_, &in = Untied(in)] {
          TFrameReader reader(in);
          for (;;) {
              TIncoming message{TReadResult::End, {}};
              message.Kind = reader.Next(message.Body);
              const std::lock_guard<std::mutex> lock(queue->Mutex);
              queue->Ended = message.Kind == TReadResult::End;
              queue->Messages.push_back(std::move(message));
              queue->Arrived.notify_one();
              if (queue->Ended) return;
          }
      }) {}

TInputThread::~TInputThread() {
    bool ended = false;
    {
        const std::lock_guard<std::mutex> lock(Queue_->Mutex);
        ended = Queue_->Ended;
    }
    if (!ended) Thread_.Leave();
}

TIncoming TInputThread::Next() {
    std::unique_lock<std::mutex> lock(Queue_->Mutex);
    Queue_->Arrived.wait(lock, [this] { return !Queue_->Messages.empty(); });
    TIncoming message = std::move(Queue_->Messages.front());
    // The end stays for every later call.
    if (message.Kind != TReadResult::End) Queue_->Messages.pop_front();
    return message;
}
