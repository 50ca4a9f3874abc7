#pragma once
// When the player's thread ran which step of ours, kept only while someone asks: the benchmark
// names what held the thread in its longest stretch without dispatching. Not asked, a step
// costs the test of one pointer. The player's thread only.
#include <vector>
#include "win32/Clock.h"

namespace StepTimes {
struct Step {
    const char *name;
    double begin, end;  // Clock::NowMs()
};

// Keeps every step from now on in `into`; null stops.
void KeepIn(std::vector<Step> *into);

// One step, from its making to the end of its scope.
class Timed {
public:
    explicit Timed(const char *name);
    ~Timed();
    Timed(const Timed &) = delete;
    Timed &operator=(const Timed &) = delete;

private:
    const char *name_;
    double begin_ = 0;
};
}
