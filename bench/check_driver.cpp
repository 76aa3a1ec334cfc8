// A bare search over the engine, printing the report lines and the summary:
// what the console checker does, without its options.
//
//   tessaron-bench-check ROOT
#include <cstdio>
#include <string>

#include "search.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaron-bench-check ROOT\n");
        return 2;
    }
    const std::string root = argv[1];
    if (const auto refusal = RefusalOf(root)) {
        std::fprintf(stderr, "%s\n", UiText[*refusal].c_str());
        return 2;
    }
    TScanState state;
    const TReport report = RunSearchPhases(root, state);
    for (const TReportItem& item : report.Items) {
        std::fwrite(item.Text.data(), 1, item.Text.size(), stdout);
        std::fputc('\n', stdout);
    }
    std::printf("%s\n", report.Summary.c_str());
    return report.Items.empty() ? 0 : 1;
}
