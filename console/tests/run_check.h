// What one run of the checker wrote; Checked runs it in-process.
#pragma once

#include <string>
#include <vector>

#include "check.h"

struct TRun {
    int Status;
    std::string Out;
    std::string Err;
};

inline TRun Checked(const std::vector<std::string>& args) {
    TByteOutput out;
    TByteOutput err;
    const int status = RunCheck(args, out, err);
    return {status, out.Str(), err.Str()};
}
