#include "io_error.h"

#include <utility>

EInOutError::EInOutError(int code, std::string reason)
    : std::runtime_error(IoErrorMessage(code)), Code_(code), Reason_(std::move(reason)) {}

std::string IoErrorMessage(int code) {
    switch (code) {
        case 2:
            return "File not found";
        case 3:
            return "Invalid filename";
        case 4:
            return "Too many open files";
        case 5:
            return "File access denied";
        case 100:
            return "Read beyond end of file";
        case 101:
            return "Disk full";
        case 106:
            return "Invalid numeric input";
        default:
            return "I/O error " + std::to_string(code);
    }
}
