// Scaling from 96 dots per inch.
#include "dpi_scale.h"

long ScaleFrom96(long pixels, int dpi) {
    return (pixels * dpi + 48) / 96;
}
