#pragma once
// "Add Dir" without freezing the player. A worker thread lists the tree in walk order and
// prepares each file's record; the interface thread sends the records between its own
// messages, which it goes on dispatching until the walk is over.
#include <windows.h>
#include <string_view>
#include "folders/FolderWalker.h"

namespace modDirhoardEx {
// Who watches a walk: told its progress at least every kProgressMs, and once at its end.
struct WalkWatch {
    static constexpr DWORD kProgressMs = 100;
    // Its keys go through IsDialogMessage while the walk runs; Escape there stops the walk.
    HWND dialog = nullptr;
    void (*progress)(size_t sent, std::wstring_view folder, bool running) = nullptr;
};

struct WalkOutcome {
    WalkResult result;
    bool stopped = false;
};

// Walks `folder` and sends each media file to `player` in `record`, with SendMessageA on this
// thread, and returns once the walk is over and its worker has ended: every file sent, or
// stopped. `record` points nowhere afterwards. A WM_QUIT met on the way stops the walk and is
// posted again.
WalkOutcome RunWalk(HWND player, COPYDATASTRUCT &record, std::wstring_view folder, bool recurse,
                    WinampHost::ExtensionList played, const WalkWatch &watch = {});

// Stops the running walk, if any: nothing more is sent. Called on the walk's own thread, from
// a message its loop dispatched.
void StopWalk();
bool IsWalking();
}
