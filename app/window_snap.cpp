// Nearest grid size for a proposed window size: ties go to the larger width and the smaller
// height, so a drag never jitters between two sizes.
#include "window_snap.h"

#include "dpi_scale.h"

namespace {

long SnapLength(long proposed, long frame, long base, long step, int dpi, bool tieToLarger) {
    long lower = 0;
    long upper = 0;
    bool hasLower = false;
    for (long n = kSnapFirstStep; n <= kSnapLastStep; ++n) {
        upper = ScaleFrom96(base + step * n, dpi) + frame;
        if (upper > proposed)
            break;
        lower = upper;
        hasLower = true;
    }
    if (!hasLower)
        return upper;
    long above = upper - proposed;
    long below = proposed - lower;
    bool takeUpper = tieToLarger ? above <= below : above < below;
    return takeUpper ? upper : lower;
}

} // namespace

void SnapWindowRect(int edge, long frameWidth, long frameHeight, int dpi, SnapRect* rect) {
    long width =
        SnapLength(rect->right - rect->left, frameWidth, kSnapWidthBase, kSnapWidthStep, dpi, true);
    long height = SnapLength(rect->bottom - rect->top, frameHeight, kSnapHeightBase,
                             kSnapHeightStep, dpi, false);
    if (edge == kSizingLeft || edge == kSizingTopLeft || edge == kSizingBottomLeft)
        rect->left = rect->right - width;
    else
        rect->right = rect->left + width;
    if (edge == kSizingTop || edge == kSizingTopLeft || edge == kSizingTopRight)
        rect->top = rect->bottom - height;
    else
        rect->bottom = rect->top + height;
}
