#include "strip_paths.h"

#include <gtest/gtest.h>

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
