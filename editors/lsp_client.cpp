#include "lsp_client.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

using TClock = TLspClient::TClock;

int MsLeft(TClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

TLspClient::TLspClient(const std::vector<std::string>& command) {
    int toServer[2];
    int fromServer[2];
    if (pipe2(toServer, O_CLOEXEC) != 0 || pipe2(fromServer, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    // A server that dies must show as a failed write, not end the client.
    signal(SIGPIPE, SIG_IGN);
    Pid_ = fork();
    if (Pid_ < 0) throw std::runtime_error("fork");
    if (Pid_ == 0) {
        dup2(toServer[0], 0);
        dup2(fromServer[1], 1);
        std::vector<char*> argv;
        for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(toServer[0]);
    close(fromServer[1]);
    In_ = toServer[1];
    Out_ = fromServer[0];
    Reader_ = std::thread([this] { Drain(); });
}

TLspClient::~TLspClient() {
    if (In_ >= 0) close(In_);
    if (Status_ < 0 && Pid_ > 0) AwaitExit(5000);
    Stop_ = true;  // a process the server started may still hold its output
    Reader_.join();
    if (Out_ >= 0) close(Out_);
}

void TLspClient::Drain() {
    char chunk[65536];
    for (;;) {
        pollfd ready{Out_, POLLIN, 0};
        if (poll(&ready, 1, 50) <= 0) {
            if (Stop_) return;
            continue;
        }
        const ssize_t n = read(Out_, chunk, sizeof chunk);
        const auto now = TClock::now();
        const std::lock_guard<std::mutex> lock(Mutex_);
        if (n <= 0) {
            Ended_ = true;
        } else {
            Buffer_.append(chunk, static_cast<std::size_t>(n));
            Chunks_.emplace_back(Buffer_.size(), now);
            LastByte_ = now;
        }
        Arrived_.notify_all();
        if (Ended_) return;
    }
}

void TLspClient::Send(const TJson& id, const TJson& method, const TJson& params) {
    TJson message = {{"jsonrpc", "2.0"}};
    if (!id.is_null()) message["id"] = id;
    if (!method.is_null()) message["method"] = method;
    if (!params.is_null()) message["params"] = params;
    if (method.is_null()) message["result"] = nullptr;
    const std::string body = message.dump();
    const std::string bytes = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(In_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) throw std::runtime_error("the server no longer reads its input");
        done += static_cast<std::size_t>(n);
    }
}

int TLspClient::Request(const std::string& method, const TJson& params) {
    Send(NextId_, method, params);
    return NextId_++;
}

bool TLspClient::ReadMessage(TJson& message, int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    std::string body;
    {
        std::unique_lock<std::mutex> lock(Mutex_);
        for (;;) {
            const std::size_t headerEnd = Buffer_.find("\r\n\r\n", Read_);
            if (headerEnd != std::string::npos) {
                const std::size_t at = Buffer_.find("Content-Length:", Read_);
                if (at == std::string::npos || at > headerEnd)
                    throw std::runtime_error("a header without Content-Length");
                const std::size_t end = headerEnd + 4 + std::strtoul(Buffer_.c_str() + at + 15, nullptr, 10);
                if (Buffer_.size() >= end) {
                    body = Buffer_.substr(headerEnd + 4, end - headerEnd - 4);
                    Read_ = end;
                    auto chunk = Chunks_.begin();
                    while (chunk->first < end) ++chunk;
                    LastArrival_ = chunk->second;
                    Chunks_.erase(Chunks_.begin(), chunk);
                    // Dropping what was read only now and then keeps a burst linear.
                    if (2 * Read_ > Buffer_.size()) {
                        Buffer_.erase(0, Read_);
                        for (auto& later : Chunks_) later.first -= Read_;
                        Read_ = 0;
                    }
                    break;
                }
            }
            if (Ended_ || Arrived_.wait_until(lock, deadline) == std::cv_status::timeout) return false;
        }
    }
    message = TJson::parse(body);
    return true;
}

TLspClient::TJson TLspClient::Await(const TJson& id, int timeoutMs) {
    TJson answer;
    const auto isAnswer = [&](const TJson& message) { return message.value("id", TJson()) == id; };
    WaitUntil([&] { return std::any_of(Answers_.begin(), Answers_.end(), isAnswer); }, timeoutMs);
    const auto it = std::find_if(Answers_.begin(), Answers_.end(), isAnswer);
    if (it == Answers_.end()) return answer;
    answer = *it;
    Answers_.erase(it);
    return answer;
}

bool TLspClient::AwaitBurst(int quietMs, int timeoutMs) {
    const auto since = TClock::now();
    const auto deadline = since + std::chrono::milliseconds(timeoutMs);
    const auto quiet = std::chrono::milliseconds(quietMs);
    std::unique_lock<std::mutex> lock(Mutex_);
    while (!Ended_ && (LastByte_ < since || TClock::now() - LastByte_ < quiet)) {
        const auto until = LastByte_ < since ? deadline : std::min(deadline, LastByte_ + quiet);
        if (Arrived_.wait_until(lock, until) == std::cv_status::timeout && TClock::now() >= deadline) return false;
    }
    return true;
}

bool TLspClient::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        TJson message;
        if (!ReadMessage(message, MsLeft(deadline))) return false;
        if (!message.contains("method")) {
            Answers_.push_back(message);
            continue;
        }
        if (OnServerMessage) OnServerMessage(message);
        if (message.contains("id")) Send(message["id"], nullptr, nullptr);
    }
    return true;
}

int TLspClient::AwaitExit(int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    rusage usage{};
    pid_t ended = 0;
    while ((ended = wait4(Pid_, &status, WNOHANG, &usage)) == 0 && MsLeft(deadline) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (ended == 0) {
        kill(Pid_, SIGKILL);
        wait4(Pid_, &status, 0, &usage);
        Status_ = 1000;
        return -1;
    }
    PeakKib_ = usage.ru_maxrss;
    Status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    return Status_;
}
