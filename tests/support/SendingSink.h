#pragma once
// A walk's records sent at once, one SendMessageA each, from the thread that walks: the walk
// on the player's own thread, as tests and the benchmark's blocking walk make it.
#include <windows.h>
#include "core/WinampHost.h"
#include "folders/FolderWalker.h"

namespace test {
class SendingSink final : public folders::WalkSink {
public:
    explicit SendingSink(HWND player) : sender_(player) {}
    void Take(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) override { sender_.Send(record, shortForm); }

private:
    WinampHost::PlayFileSender sender_;
};
}
