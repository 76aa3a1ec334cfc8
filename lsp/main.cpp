// tessaron-lsp: the language server on standard input and output.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#elif defined(__linux__)
#include <fcntl.h>
#endif

#include "output.h"
#include "server.h"
#include "ui_text.h"
#include "version.h"

namespace {

constexpr int kExitUsage = 2;

// --help and --version answer at once; anything else is a usage error.
int Options(const std::vector<std::string>& args, bool& serve) {
    const auto out = StandardOutput(stdout);
    const auto err = StandardOutput(stderr);
    bool english = false;
    bool help = false;
    bool version = false;
    std::string unknown;
    for (const std::string& arg : args) {
        if (arg == "--lang=en") {
            english = true;
        } else if (arg == "--lang=ru") {
            english = false;
        } else if (arg == "--help") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else if (unknown.empty()) {
            unknown = arg;
        }
    }
    if (!english) InstallRussianTexts();
    serve = false;
    if (!unknown.empty()) {
        err->Text(UiText[utLspProgramPrefix] + UiText[utUnknownOption]);
        err->Bytes(unknown);
        err->Text("\n");
        err->Flush();
        return kExitUsage;
    }
    if (help) out->Text(UiText[utLspUsage]);
    if (version) out->Text(UiText[utLspVersion] + TESSARON_VERSION + "\n");
    serve = !help && !version;
    return out->Flush() ? 0 : kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    bool serve = true;
    if (argc > 1) {
        const int status = Options(std::vector<std::string>(argv + 1, argv + argc), serve);
        if (!serve) return status;
    }
#ifdef _WIN32
    // The protocol counts bytes: no CR LF translation on either stream.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#elif defined(__linux__)
    // A client whose write finds the pipe full may read our messages while it
    // is still inside its handler of an earlier one; eglot's then loses all
    // later ones. A pipe that holds a large file's didOpen spares it that.
    constexpr int kInputPipeBytes = 1 << 20;
    fcntl(0, F_SETPIPE_SZ, kInputPipeBytes);
#endif
    std::ios::sync_with_stdio(false);
    // Freeing a large index piece by piece costs more than the process's end.
    return Serve(std::cin, std::cout, [](int status) {
        std::cout.flush();
        std::_Exit(status);
    });
}
