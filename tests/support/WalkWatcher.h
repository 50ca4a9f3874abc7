#pragma once
// Watches one walk as the dialog does, and waits for its end with this thread's messages
// dispatched meanwhile, as whichever loop runs on the player's thread dispatches them.
#include <windows.h>
#include <functional>
#include <optional>
#include "Wait.h"
#include "folders/BackgroundWalk.h"

namespace test {
class WalkWatcher final : public folders::WalkObserver {
public:
    void Progress(size_t, std::wstring_view) override {
        if (onProgress) onProgress();
    }
    void Ended(const folders::WalkOutcome &outcome) override {
        this->outcome = outcome;
        ++ends;
    }
    bool WaitForEnd(DWORD timeoutMs = kTimeoutMs) {
        return PumpUntil([&] { return ends > 0; }, timeoutMs);
    }

    std::function<void()> onProgress;
    std::optional<folders::WalkOutcome> outcome;
    int ends = 0;
};
}
