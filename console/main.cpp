#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "check.h"
#include "output.h"
#include "ui_text.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto out = StandardOutput(stdout);
    const auto err = StandardOutput(stderr);
    // scripts/run names examples/ here, so that the option table stays the only list of options.
    const char* defaultRoot = std::getenv("TESSARON_DEFAULT_ROOT");
    int status = RunCheck(
        args, *out, *err,
        defaultRoot == nullptr || *defaultRoot == '\0' ? std::nullopt : std::optional<std::string>(defaultRoot));
    if (!out->Flush()) {
        err->Text(UiText[utProgramPrefix] + UiText[utWriteFailed] + "\n");
        status = kExitError;
    }
    err->Flush();
    return status;
}
