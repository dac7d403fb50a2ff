// The benchmarks' clock and their one statistic.
#pragma once

#include <windows.h>

#include <stdlib.h>

inline LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline double Milliseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1e3 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Sorts the values in place (so values[0] is then the best) and returns their median.
inline double Median(double* values, int count) {
    qsort(values, static_cast<size_t>(count), sizeof(values[0]), [](const void* a, const void* b) {
        double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
        return (x > y) - (x < y);
    });
    return values[count / 2];
}
