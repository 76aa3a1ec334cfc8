#include "strip_paths.h"

#include <gtest/gtest.h>

#include "strip_masks.h"

void ForEachStripPath(const std::function<void(const char* path)>& body) {
    const std::vector<const char*> paths = StripPathNames();
    for (std::size_t path = 1; path <= paths.size(); ++path) {
        SCOPED_TRACE(paths[path - 1]);
        LimitStripPaths(path);
        body(paths[path - 1]);
    }
    LimitStripPaths(0);
}
