// The run-time's I/O error: raised by a failing read, close or write after a
// file was opened, and caught by no routine of the engine.
#pragma once

#include <stdexcept>
#include <string>

class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(int code);
    int Code() const { return Code_; }

private:
    int Code_;
};

// The run-time's message for a platform error code, e.g. 5 -> "File access denied".
std::string IoErrorMessage(int code);
