// Interactive resizing of the main window snaps to a grid of client sizes; the arithmetic
// needs only the frame's extra width and height and the display's dots per inch, so it stays
// free of the platform.
#pragma once

struct SnapRect {
    long left;
    long top;
    long right;
    long bottom;
};

// Sizing edges as the platform numbers them (WMSZ_LEFT ... WMSZ_BOTTOMRIGHT).
enum : int {
    kSizingLeft = 1,
    kSizingRight = 2,
    kSizingTop = 3,
    kSizingTopLeft = 4,
    kSizingTopRight = 5,
    kSizingBottom = 6,
    kSizingBottomLeft = 7,
    kSizingBottomRight = 8,
};

// Grid of client sizes: widths 85 + 64 n and heights 117 + 48 n, n from 4 to 1023.
enum : int {
    kSnapWidthBase = 85,
    kSnapWidthStep = 64,
    kSnapHeightBase = 117,
    kSnapHeightStep = 48,
    kSnapFirstStep = 4,
    kSnapLastStep = 1023,
};

// Snaps the proposed outer rectangle in place to the grid scaled to `dpi`; the dragged edge
// decides which sides move.
void SnapWindowRect(int edge, long frameWidth, long frameHeight, int dpi, SnapRect* rect);
