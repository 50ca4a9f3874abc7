#pragma once
// Milliseconds on the performance counter: the clock of the walk's turns, and of the figures
// taken of them.
#include <windows.h>

namespace Clock {
// Counts per millisecond, read as the module loads: read at the first call, it would need a
// thread-safe guard.
inline const double kPerMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
}();

inline double NowMs() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / kPerMs;
}
}
