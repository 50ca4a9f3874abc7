#pragma once
// Whether anything below some registry keys changed since it was last asked. The watch belongs
// to the thread that asks: the platform may end it with that thread.
#include <windows.h>
#include <string>
#include <utility>
#include <vector>
#include "win32/Handles.h"

class RegistryWatch {
public:
    using Key = std::pair<HKEY, std::wstring>;
    // A key that does not exist yet is watched from its nearest parent that does.
    explicit RegistryWatch(std::vector<Key> keys) : keys_(std::move(keys)) {}
    // True at the first call, after any change since the call before, and whenever the platform
    // refuses the watch; each call watches afresh from then on.
    bool Changed();

private:
    struct Watched {
        RegKey key;
        KernelHandle changed;
    };
    bool Arm();

    std::vector<Key> keys_;
    std::vector<Watched> watched_;
};
