#include "strip_masks.h"

TProcessorWidths ProcessorWidths() {
    TProcessorWidths widths;
#if defined(__SSE2__) && !defined(_WIN32)
    __builtin_cpu_init();
    widths.Avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    widths.Avx512 = widths.Avx2 && __builtin_cpu_supports("avx512bw");
#endif
    return widths;
}

std::vector<const char*> StripPathNames() {
    std::vector<const char*> names = {"portable"};
#if defined(__SSE2__)
    names.push_back("sse2");
    const TProcessorWidths widths = ProcessorWidths();
    if (widths.Avx2) names.push_back("avx2");
    if (widths.Avx512) names.push_back("avx512");
#endif
    return names;
}

void LimitStripPaths(std::size_t count) {
    StripPathLimit = count;
}
