// Where the main window's controls go for a given client size.
#pragma once

struct TControlRect {
    int Left;
    int Top;
    int Width;
    int Height;
    bool operator==(const TControlRect& other) const {
        return Left == other.Left && Top == other.Top && Width == other.Width && Height == other.Height;
    }
};

struct TLayout {
    TControlRect Path;
    TControlRect Start;
    TControlRect Label;
    TControlRect Browse;
    TControlRect List;
};

// `statusHeight` is the status bar's client height once it sits along the
// bottom edge. Nothing is clamped: a small client gives zero or negative sizes.
TLayout LayoutControls(int clientWidth, int clientHeight, int statusHeight);
