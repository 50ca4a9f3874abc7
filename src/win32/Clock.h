#pragma once
// Milliseconds on the performance counter: the clock of the walk's turns, and of the figures
// taken of them.
#include <windows.h>

namespace Clock {
inline double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}
}
