// The client's messages, read on a thread of their own into a queue: the
// client's writes never wait for the server, which may itself be waiting to
// write to a client that is still writing.
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "framing.h"
#include "threads.h"

struct TIncoming {
    TReadResult Kind;
    std::string Body;
};

class TInputThread {
public:
    explicit TInputThread(std::istream& in);
    // Joins the thread when the input has ended; one still waiting on a pipe
    // is left to the process's end, so `in` must live as long as the process.
    ~TInputThread();
    TInputThread(const TInputThread&) = delete;
    TInputThread& operator=(const TInputThread&) = delete;

    // The next message, waiting for it; End after the last one.
    TIncoming Next();

private:
    struct TQueue;
    std::shared_ptr<TQueue> Queue_;
    TOwnThread Thread_;
};
