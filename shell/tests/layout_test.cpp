#include "layout.h"

#include <gtest/gtest.h>

namespace {

struct TLayoutCase {
    int Width;
    int Height;
    int StatusHeight;
    TLayout Expected;
};

TEST(LayoutControls, PlacesEveryControlForTheClientSize) {
    const TLayoutCase cases[] = {
        // The client area of a fresh 640x480 window, and a larger one.
        {624,
         441,
         19,
         {{120, 10, 344, 22}, {524, 10, 90, 22}, {10, 10, 110, 22}, {464, 10, 50, 22}, {1, 42, 623, 380}}},
        {1000,
         700,
         23,
         {{120, 10, 720, 22}, {900, 10, 90, 22}, {10, 10, 110, 22}, {840, 10, 50, 22}, {1, 42, 999, 635}}},
        // Narrower than 280 pixels and minimized: nothing is clamped.
        {200, 30, 19, {{120, 10, -80, 22}, {100, 10, 90, 22}, {10, 10, 110, 22}, {40, 10, 50, 22}, {1, 42, 199, -31}}},
        {0, 0, 0, {{120, 10, -280, 22}, {-100, 10, 90, 22}, {10, 10, 110, 22}, {-160, 10, 50, 22}, {1, 42, -1, -42}}},
    };
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Width << "x" << c.Height << " status " << c.StatusHeight);
        const TLayout got = LayoutControls(c.Width, c.Height, c.StatusHeight);
        EXPECT_EQ(got.Path, c.Expected.Path);
        EXPECT_EQ(got.Start, c.Expected.Start);
        EXPECT_EQ(got.Label, c.Expected.Label);
        EXPECT_EQ(got.Browse, c.Expected.Browse);
        EXPECT_EQ(got.List, c.Expected.List);
    }
}

}  // namespace
