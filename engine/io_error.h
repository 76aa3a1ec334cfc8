// The run-time's I/O error: raised by a failing read, close or write after a
// file was opened, and caught by no routine of the engine.
#pragma once

#include <stdexcept>
#include <string>

class EInOutError : public std::runtime_error {
public:
    // `reason` is the platform's own message, for a caller that names it.
    explicit EInOutError(int code, std::string reason = {});
    int Code() const { return Code_; }
    const std::string& Reason() const { return Reason_; }

private:
    int Code_;
    std::string Reason_;
};

// The run-time's message for a platform error code, e.g. 5 -> "File access denied".
std::string IoErrorMessage(int code);
