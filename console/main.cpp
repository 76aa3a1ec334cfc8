#include <cstdio>
#include <string>
#include <vector>

#include "check.h"
#include "output.h"
#include "ui_text.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto out = StandardOutput(stdout);
    const auto err = StandardOutput(stderr);
    int status = RunCheck(args, *out, *err);
    if (!out->Flush()) {
        err->Text(UiText[utProgramPrefix] + UiText[utWriteFailed] + "\n");
        status = kExitError;
    }
    err->Flush();
    return status;
}
