// Runs a test body once on each way of walking strips that this processor
// has, so that tables of cases test every width.
#pragma once

#include <functional>

void ForEachStripPath(const std::function<void(const char* path)>& body);
