// The main window's sizes are given at 96 dots per inch and scaled to the window's: the rule,
// free of the platform, that the layout, the font and the snapping grid share.
#pragma once

// `pixels` at 96 dots per inch, at `dpi`: halves rounded up, as MulDiv rounds them.
long ScaleFrom96(long pixels, int dpi);
