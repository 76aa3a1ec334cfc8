// What the editor's settings ask of the index.
#pragma once

#include <string>
#include <vector>

#include "rules.h"

enum class TEncodingChoice { Auto, Utf8, Cp1251 };

struct TIndexSettings {
    std::vector<std::string> DeclaredIn;  // folders whose declarations count too
    std::vector<std::string> NameFiles;   // files of declared names, one a line
    bool Unused = true;
    bool Duplicates = true;
    TEncodingChoice Encoding = TEncodingChoice::Auto;
    // The built-in image rule, and the project file's rules in its order; a
    // rule's names files are paths as the index reads them.
    bool Images = true;
    std::vector<TRule> Rules{};
};
