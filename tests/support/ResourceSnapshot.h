#pragma once
// What the process holds of the platform's limited resources, for tests that repeat a
// user's action many times and expect nothing to pile up.
#include <windows.h>
#include <cstdint>
#include <ostream>

namespace test {
struct ResourceSnapshot {
    long gdi = 0;        // GDI objects: fonts, brushes, bitmaps, device contexts
    long user = 0;       // USER objects; where the platform does not count them, our windows
    long handles = 0;    // kernel handles
    int64_t privateBytes = 0;

    static ResourceSnapshot Take();
};

inline void PrintTo(const ResourceSnapshot &s, std::ostream *out) {
    *out << "gdi " << s.gdi << ", user " << s.user << ", handles " << s.handles << ", private "
         << s.privateBytes / 1024 << " KiB";
}
inline std::ostream &operator<<(std::ostream &out, const ResourceSnapshot &s) {
    PrintTo(s, &out);
    return out;
}
}
