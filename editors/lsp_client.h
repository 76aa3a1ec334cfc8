// The client's end of a language server process, as an editor holds it: the
// server's standard input and output are pipes that carry JSON-RPC messages
// framed by Content-Length headers.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

class TLspClient {
public:
    using TJson = nlohmann::json;
    using TClock = std::chrono::steady_clock;
    // Starts `command` (searched in PATH); its standard error stays the caller's.
    explicit TLspClient(const std::vector<std::string>& command);
    ~TLspClient();  // its thread and mutex members forbid copies

    // Returns the request's id; a null `params` is left out.
    int Request(const std::string& method, const TJson& params);
    void Notify(const std::string& method, const TJson& params) { Send(nullptr, method, params); }

    // Every notification and every request from the server; requests are
    // answered with a null result after this returns.
    std::function<void(const TJson&)> OnServerMessage;

    // The answer to request `id`; a null JSON when none came in time.
    TJson Await(const TJson& id, int timeoutMs);
    // Waits until bytes have come after the call and then none for `quietMs`:
    // a burst is left undecoded until it is over, so that decoding it does not
    // take the cores that the server is still using. False on a timeout.
    bool AwaitBurst(int quietMs, int timeoutMs);
    // Reads messages until `done` holds after one of them; false on a timeout.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
    // Waits for the process to end without closing its input: its exit status,
    // or -1 when it had to be killed after `timeoutMs`.
    int AwaitExit(int timeoutMs);
    // Peak resident memory of the ended process, in KiB.
    long PeakKib() const { return PeakKib_; }
    // When the last byte of the message last dispatched came in: the server's
    // time, without this client's own decoding.
    TClock::time_point LastArrival() const { return LastArrival_; }

private:
    bool ReadMessage(TJson& message, int timeoutMs);
    // A null `id` is left out; a null `method` makes a null result.
    void Send(const TJson& id, const TJson& method, const TJson& params);
    void Drain();

    pid_t Pid_ = -1;
    int In_ = -1;
    int Out_ = -1;
    int NextId_ = 1;
    // Filled by Reader_ as the bytes come, as an editor's event loop reads,
    // so that the server never waits for this client to decode.
    std::thread Reader_;
    std::mutex Mutex_;
    std::condition_variable Arrived_;
    std::string Buffer_;
    std::size_t Read_ = 0;                                            // Buffer_ holds no message before this
    std::vector<std::pair<std::size_t, TClock::time_point>> Chunks_;  // end in Buffer_, arrival
    TClock::time_point LastByte_;
    bool Ended_ = false;
    std::atomic<bool> Stop_{false};
    TClock::time_point LastArrival_;
    std::vector<TJson> Answers_;
    long PeakKib_ = 0;
    int Status_ = -1;
};
