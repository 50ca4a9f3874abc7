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
struct WalkRequest {
    HWND player = nullptr;
    std::wstring folder;
    bool recurse = false;
    WinampHost::ExtensionList played;  // asked of the player for this press
    ShellAnswers::Kept shellAnswers;   // what the shell answered at earlier presses, still true
    std::shared_ptr<const Lister> lister = Lister::Platform();
    // Where each record goes before the player is sent it, on the player's thread; none: the
    // walk's own.
    COPYDATASTRUCT *record = nullptr;
    HWND owner = nullptr;  // of the warning about folders that could not be read
    // False: the walk lists on the calling thread, as where no worker can start.
    bool worker = true;
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

// Starts the walk and returns at once; false, and nothing started, while another walk runs or
// when the platform refuses the walk its window. Every media file goes to `request.player`
// with SendMessageA on this thread, which must be the player's. Afterwards one warning box,
// owned by `request.owner`, names folders that could not be read.
bool StartWalk(WalkRequest request, WalkObserver &observer);
// Stops the walk at once, if one runs: nothing more is sent, and the observer is told before
// this returns. The worker ends on its own.
void StopWalk();
bool IsWalking();
// How many stops were asked for so far, a walk running or not: a press that saw one while it
// prepared its walk starts none.
unsigned StopCount();
}
