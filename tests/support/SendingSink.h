#pragma once
// A walk's records sent at once, one SendMessageA each, from the thread that walks: the walk
// on the player's own thread, as tests and the benchmark's blocking walk make it.
#include <windows.h>
#include "core/WinampHost.h"
#include "folders/FolderWalker.h"

namespace test {
class SendingSink final : public modDirhoardEx::WalkSink {
public:
    explicit SendingSink(HWND player) : player_(player) {}
    void Take(const COPYDATASTRUCT &record) override { WinampHost::Send(player_, record); }

private:
    HWND player_;
};
}
