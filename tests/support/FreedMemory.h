#pragma once
// A heap checker for lifetimes: while a watch lives, every block freed through operator
// delete is filled with a pattern and held back from reuse, so a read of it finds the
// pattern and a write into it shows as a changed byte when the watch ends.
#include <cstddef>

namespace test {
class FreedMemoryWatch {
public:
    FreedMemoryWatch();
    ~FreedMemoryWatch();
    FreedMemoryWatch(const FreedMemoryWatch &) = delete;
    FreedMemoryWatch &operator=(const FreedMemoryWatch &) = delete;

    // Blocks freed since the watch began, and those of them written after their free.
    size_t Freed() const;
    size_t WrittenAfterFree() const;
};
}
