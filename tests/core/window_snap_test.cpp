// Window-size snapping to the grid of client sizes 85 + 64 n by 117 + 48 n, n from 4 to 1023.
#include "window_snap.h"

#include <gtest/gtest.h>

namespace {

// A typical frame: borders, caption and menu bar.
const long kFrameWidth = 16;
const long kFrameHeight = 59;

TEST(WindowSnap, PicksTheNearestGridSize) {
    // proposed client width and height, snapped width and height
    const long rows[][4] = {
        {501, 381, 533, 357}, // both halfway: the larger width, the smaller height
        {500, 382, 469, 405}, // just off halfway
        {469, 357, 469, 357}, // on the grid
        {625, 220, 597, 309}, // a fresh window
        {0, 0, 341, 309},     // below the smallest
        {1000000, 1000000, 65557, 49221},
    };
    for (const auto& row : rows) {
        SnapRect rect = {100, 50, 100 + row[0] + kFrameWidth, 50 + row[1] + kFrameHeight};
        SnapWindowRect(kSizingBottomRight, kFrameWidth, kFrameHeight, 96, &rect);
        EXPECT_EQ(row[2] + kFrameWidth, rect.right - rect.left) << row[0];
        EXPECT_EQ(row[3] + kFrameHeight, rect.bottom - rect.top) << row[1];
    }
}

// At 144 dots per inch the grid is 1.5 times as large: client widths 511.5 (512) + 96 n.
TEST(WindowSnap, TheGridScalesWithTheDotsPerInch) {
    SnapRect rect = {0, 0, 560 + kFrameWidth, 100 + kFrameHeight}; // halfway between 512 and 608
    SnapWindowRect(kSizingBottomRight, kFrameWidth, kFrameHeight, 144, &rect);
    EXPECT_EQ(608 + kFrameWidth, rect.right);
    EXPECT_EQ(464 + kFrameHeight, rect.bottom); // (117 + 4 * 48) * 1.5, rounded
}

// The sides opposite the dragged edges stay; a fresh window's size snaps to 597 by 309.
TEST(WindowSnap, TheDraggedEdgesMove) {
    // edge, whether the left side moves, whether the top moves
    const int rows[][3] = {{kSizingLeft, 1, 0},       {kSizingRight, 0, 0},
                           {kSizingTop, 0, 1},        {kSizingTopLeft, 1, 1},
                           {kSizingTopRight, 0, 1},   {kSizingBottom, 0, 0},
                           {kSizingBottomLeft, 1, 0}, {kSizingBottomRight, 0, 0}};
    for (const auto& row : rows) {
        SnapRect rect = {200, 100, 200 + 625 + kFrameWidth, 100 + 220 + kFrameHeight};
        const SnapRect before = rect;
        SnapWindowRect(row[0], kFrameWidth, kFrameHeight, 96, &rect);
        const long width = 597 + kFrameWidth, height = 309 + kFrameHeight;
        EXPECT_EQ(row[1] ? before.right - width : before.left, rect.left) << row[0];
        EXPECT_EQ(row[1] ? before.right : before.left + width, rect.right) << row[0];
        EXPECT_EQ(row[2] ? before.bottom - height : before.top, rect.top) << row[0];
        EXPECT_EQ(row[2] ? before.bottom : before.top + height, rect.bottom) << row[0];
    }
}

} // namespace
