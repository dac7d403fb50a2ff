// Window-size snapping: nearest grid size, the tie rules, the bounds, and which sides move.
#include "window_snap.h"

#include <gtest/gtest.h>

namespace {

// A typical frame: borders, caption and menu bar.
const long kFrameWidth = 16;
const long kFrameHeight = 59;

struct SnapCase {
    long clientWidth;
    long clientHeight;
    long snappedWidth;
    long snappedHeight;
};

SnapRect Snap(int edge, long left, long top, long clientWidth, long clientHeight) {
    SnapRect rect = {left, top, left + clientWidth + kFrameWidth,
                     top + clientHeight + kFrameHeight};
    SnapWindowRect(edge, kFrameWidth, kFrameHeight, &rect);
    return rect;
}

TEST(WindowSnap, PicksTheNearestGridSizeWithItsTieRules) {
    const SnapCase cases[] = {
        {501, 381, 533, 357}, // both halfway: the larger width, the smaller height
        {372, 333, 341, 309}, // halfway height goes down
        {373, 334, 405, 357},
        {469, 357, 469, 357}, // on the grid already
        {597, 309, 597, 309},
        {625, 220, 597, 309}, // a fresh window
        {0, 0, 341, 309},     // below the smallest
        {-500, -500, 341, 309},
        {340, 308, 341, 309},
        {65557, 49221, 65557, 49221}, // the largest
        {65600, 49300, 65557, 49221},
        {1000000, 1000000, 65557, 49221},
        {65525, 49197, 65557, 49173}, // halfway between the last two
    };
    for (const SnapCase& c : cases) {
        SnapRect rect = Snap(kSizingBottomRight, 100, 50, c.clientWidth, c.clientHeight);
        EXPECT_EQ(c.snappedWidth + kFrameWidth, rect.right - rect.left) << c.clientWidth;
        EXPECT_EQ(c.snappedHeight + kFrameHeight, rect.bottom - rect.top) << c.clientHeight;
    }
}

TEST(WindowSnap, TheDraggedEdgeDecidesWhichSidesMove) {
    struct EdgeCase {
        int edge;
        bool leftMoves;
        bool topMoves;
    };
    const EdgeCase edges[] = {
        {kSizingLeft, true, false},       {kSizingRight, false, false},
        {kSizingTop, false, true},        {kSizingTopLeft, true, true},
        {kSizingTopRight, false, true},   {kSizingBottom, false, false},
        {kSizingBottomLeft, true, false}, {kSizingBottomRight, false, false},
    };
    for (const EdgeCase& e : edges) {
        SnapRect before = {200, 100, 200 + 625 + kFrameWidth, 100 + 220 + kFrameHeight};
        SnapRect rect = before;
        SnapWindowRect(e.edge, kFrameWidth, kFrameHeight, &rect);
        EXPECT_EQ(597 + kFrameWidth, rect.right - rect.left) << e.edge;
        EXPECT_EQ(309 + kFrameHeight, rect.bottom - rect.top) << e.edge;
        if (e.leftMoves)
            EXPECT_EQ(before.right, rect.right) << e.edge;
        else
            EXPECT_EQ(before.left, rect.left) << e.edge;
        if (e.topMoves)
            EXPECT_EQ(before.bottom, rect.bottom) << e.edge;
        else
            EXPECT_EQ(before.top, rect.top) << e.edge;
    }
}

} // namespace
