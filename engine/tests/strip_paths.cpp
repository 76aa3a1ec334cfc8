#include "strip_paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "strip_masks.h"
#include "text_reader.h"

void ForEachStripPath(const std::function<void(const char* path)>& body) {
    const std::vector<const char*> paths = StripPathNames();
    for (std::size_t path = 1; path <= paths.size(); ++path) {
        SCOPED_TRACE(paths[path - 1]);
        LimitStripPaths(path);
        body(paths[path - 1]);
    }
    LimitStripPaths(0);
}

void ForEachLine(const std::string& text, const std::function<void(std::string_view line, int32_t index)>& read) {
    TMemorySource source(text);
    TTextReader reader(source);
    for (int32_t line = 0; !reader.Eof(); ++line) read(reader.ReadLine(), line);
}

std::string Records(const TRefTable& places, const TNameList& names, const std::string& tag) {
    EXPECT_EQ(places.Count(), names.Count());
    std::string out;
    for (int32_t k = 0; k < std::min(places.Count(), names.Count()); ++k) {
        const TRefRec& r = places[k];
        EXPECT_EQ(r.Length, names[k].size()) << k;
        out += tag + std::to_string(r.FileIndex) + ":" + std::to_string(r.LineIndex) + ":" + std::to_string(r.Column) +
               " " + std::string(names[k]) + "\n";
    }
    return out;
}

std::string Records(const std::vector<TKindRecords>& kinds, const TRuleSet* rules) {
    std::string out;
    for (std::size_t r = 0; r < kinds.size(); ++r) {
        const std::string id = rules != nullptr ? rules->Rules().at(r).Id : std::to_string(r);
        out += Records(kinds[r].RefTable, kinds[r].UsedNames, id + " U ") +
               Records(kinds[r].DefinedPlaces, kinds[r].DefinedNames, id + " D ");
    }
    return out;
}
