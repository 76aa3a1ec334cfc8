// Builds a scan state from random names and references and checks the
// cross-check's report against a plain reading of the rules.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cross_check.h"

namespace {

void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "report_fuzz: %s\n", what);
    std::abort();
}

// Short names over few bytes, so that uses and declarations often meet; some
// share a long start, so that they differ only around the 24th byte.
std::string NameFrom(FuzzedDataProvider& input) {
    static constexpr char kBytes[] = {'a', 'b', 'A', '\xC0', '\xE0', ' ', '\0', '\\'};
    std::string name = input.ConsumeBool() ? std::string(22, 'a') : std::string();
    const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, 4);
    for (std::size_t i = 0; i < length; ++i) name += kBytes[input.ConsumeIntegralInRange<std::size_t>(0, 7)];
    return name;
}

}  // namespace

// The running program speaks Russian: its texts are what the lines are made of.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InstallRussianTexts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string root = input.ConsumeBool() ? "C:\\r" : "C:\\r\\";
    TScanState state;
    const int files = input.ConsumeIntegralInRange<int>(1, 4);
    for (int f = 0; f < files; ++f) state.FileList.Add("C:\\r\\d" + std::to_string(f) + "\\f.ini");
    while (input.remaining_bytes() > 0) {
        if (input.ConsumeBool()) {
            state.DefinedNames.Add(NameFrom(input));
        } else {
            const auto file = input.ConsumeIntegralInRange<uint32_t>(0, static_cast<uint32_t>(files - 1));
            const auto line = input.ConsumeIntegralInRange<int32_t>(0, INT32_MAX - 1);
            const std::string name = NameFrom(input);
            state.UsedNames.Add(name);
            state.RefTable.AddRef(file, line, 1, static_cast<uint32_t>(name.size()));
        }
    }

    const TReport report = CrossCheck(root, state);
    const TNameIndex index(state.DefinedNames);
    std::size_t item = 0;
    for (int32_t k = 0; k < state.UsedNames.Count(); ++k) {
        const std::string_view name = state.UsedNames[k];
        int32_t declared = 0;  // the first entry of the same bytes, looked up one by one
        while (declared < state.DefinedNames.Count() && state.DefinedNames[declared] != name) ++declared;
        if (declared == state.DefinedNames.Count()) declared = -1;
        Require(index.FindDefined(name) == declared, "the name index finds another entry than a linear scan");
        if (declared != -1 || state.DefinedNames.Count() == 0) continue;
        Require(item < report.Items.size(), "an undeclared reference has no line");
        const TReportItem& line = report.Items[item++];
        Require(line.RefIndex == k, "item data out of reference order");
        const TRefRec& ref = state.RefTable[k];
        const std::string path(state.FileList[static_cast<int32_t>(ref.FileIndex)].substr(root.size()));
        const std::string expected = UiText[utMissingPrefix] + std::string(name) + UiText[utInFile] + path +
                                     UiText[utAtLine] + std::to_string(int64_t{ref.LineIndex} + 1);
        Require(line.Text == expected, "a report line is not built from its reference");
    }
    Require(item == report.Items.size(), "a report line names a declared name");

    const TTextId summary = state.UsedNames.Count() == 0      ? utNoUsed
                            : state.DefinedNames.Count() == 0 ? utNoDefined
                            : report.Items.empty()            ? utAllFine
                                                              : utDonePrefix;
    Require(report.SummaryId == summary, "wrong summary");
    const std::string text = summary == utDonePrefix
                                 ? UiText[utDonePrefix] + std::to_string(report.Items.size()) + UiText[utDoneSuffix]
                                 : UiText[summary];
    Require(report.Summary == text, "wrong summary text");
    return 0;
}
