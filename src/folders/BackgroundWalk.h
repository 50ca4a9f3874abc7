#pragma once
// "Add Dir" without freezing the player and without a message loop of its own: a worker lists
// the tree, and the player's thread sends the records in short turns, each one a message to a
// window of the walk's that whichever loop runs on the thread dispatches.
#include <windows.h>
#include <string>
#include <string_view>
#include "core/WinampHost.h"
#include "folders/FolderWalker.h"
#include "folders/Lister.h"

namespace folders {
// What the caller decides of a walk.
struct WalkRequest {
    HWND player = nullptr;
    std::wstring folder;
    bool recurse = false;
    WinampHost::ExtensionList played;  // asked of the player at the press
    std::shared_ptr<const Lister> lister = Lister::Platform();
    // Where each record goes before the player is sent it, on the player's thread; none: the
    // walk's own.
    COPYDATASTRUCT *record = nullptr;
    HWND owner = nullptr;  // of the warning about folders that could not be read
};

struct WalkOutcome {
    size_t sent = 0;  // records the player was sent
    bool stopped = false;
    WalkResult result;  // what the walk found; only for a walk that was not stopped
};

// Told on the player's thread how the walk goes.
class WalkObserver {
public:
    // At least every kProgressMs while the walk runs: the records sent, the folder listed.
    virtual void Progress(size_t sent, std::wstring_view folder) = 0;
    // Once, when the walk is over (after its warning, if any) or stopped; a new walk may start
    // from here on.
    virtual void Ended(const WalkOutcome &outcome) = 0;
    static constexpr UINT kProgressMs = 100;

protected:
    ~WalkObserver() = default;
};

// How a start ended: the walk runs, or why not.
struct WalkStart {
    enum Kind { Walking, Busy, Stopped, Refused } kind;
    DWORD error = ERROR_SUCCESS;  // Refused: what the platform said
    explicit operator bool() const { return kind == Walking; }
};

// Starts the walk and returns at once: Busy while another walk runs; Refused when the platform
// refuses the walk its window or its worker. Every media file goes to `request.player` with
// SendMessageA on this thread, which must be the player's. Afterwards one warning box, owned by
// `request.owner`, names folders that could not be read.
WalkStart StartWalk(WalkRequest request, WalkObserver &observer);
bool IsWalking();
// How many stops were asked for so far, a walk running or not: a press that saw one while it
// prepared its walk starts none.
unsigned StopCount();
}
