// The index's results as short text, so that a table can say what it expects.
#pragma once

#include <string>
#include <vector>

#include "file_entry.h"

inline std::string Where(TPosition p) {
    return std::to_string(p.Line) + ":" + std::to_string(p.Character);
}

inline std::string Where(const TRange& r) {
    return Where(r.Start) + "-" + Where(r.End);
}

// "U 1:19-1:22 Name;" per finding: Undeclared, Unused or Duplicate (with the
// places of the other declarations).
inline std::string Described(const std::vector<TFinding>& findings) {
    std::string out;
    for (const TFinding& f : findings) {
        out += std::string(1, "UND"[static_cast<int>(f.Kind)]) + " " + Where(f.Range) + " " + f.Name;
        for (const TPlace& place : f.Related) out += " @" + std::to_string(place.File) + ":" + Where(place.Range);
        out += ";";
    }
    return out;
}
