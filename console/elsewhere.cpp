#include "elsewhere.h"

#include <fstream>

#include "fs.h"
#include "line_scanner.h"
#include "walker.h"

namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

TMaybeComplaint AddDeclaredIn(const std::string& dir, TNameList& names) {
    if (!IsExistingDirectory(dir)) return TComplaint{utNotADirectory, dir};
    // The same walk and scan as the checked tree; only the declarations are kept.
    TScanState base;
    WalkTree(dir, "*.ini", base.FileList);
    ScanFiles(base);
    for (int32_t i = 0; i < base.DefinedNames.Count(); ++i) names.Add(base.DefinedNames[i]);
    return {};
}

TMaybeComplaint AddNameFile(const std::string& path, TNameList& names) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return TComplaint{utCannotRead, path};
    std::string line;
    while (std::getline(in, line)) {
        std::size_t begin = 0;
        std::size_t end = line.size();
        while (begin < end && IsControl(line[begin])) ++begin;
        while (end > begin && IsControl(line[end - 1])) --end;
        if (begin == end || line[begin] == ';') continue;
        std::string name = line.substr(begin, end - begin);
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        names.Add(name);
    }
    if (in.bad()) return TComplaint{utCannotRead, path};
    return {};
}
