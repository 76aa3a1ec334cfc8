#include "layout.h"

TLayout LayoutControls(int clientWidth, int clientHeight, int statusHeight) {
    const int w = clientWidth;
    TLayout layout{};
    layout.Path = {120, 10, w - 280, 22};
    layout.Start = {w - 100, 10, 90, 22};
    layout.Label = {10, 10, 110, 22};
    layout.Browse = {w - 160, 10, 50, 22};
    layout.List = {1, 42, w - 1, clientHeight - statusHeight - 42};
    return layout;
}
