#include "folders/modDirhoardEx.h"

#include <algorithm>
#include "core/WinampHost.h"
#include "core/modGlobalDefinitions.h"
#include "folders/BackgroundWalk.h"

namespace modDirhoardEx {
WNDPROC PrevDialogProc = nullptr;
HWND hWndRecurseCheck = nullptr;
wchar_t SelectedPath[kPathChars + 1] = {};
wchar_t PathScratch[kPathChars + 1] = {};
bool RecurseSubfolders = false;
COPYDATASTRUCT PlayFileRecord = {};

std::wstring_view PathIn(const wchar_t (&buffer)[kPathChars + 1]) {
    return std::wstring_view(buffer, std::find(buffer, buffer + kPathChars, L'\0') - buffer);
}

namespace {
// A press is between its start and its walk's: the player is being asked what it plays.
bool pressing = false;
}
}

bool folders::IsAdding() { return modDirhoardEx::pressing || IsWalking(); }

namespace modDirhoardEx {
using namespace folders;

WalkStart AddFolderToPlaylist(std::wstring_view folder, bool recurse, WalkObserver &observer, HWND owner,
                              std::shared_ptr<const Lister> lister) {
    // One press at a time: one that comes in while another is answered or walks (the player
    // may pump messages while it answers or takes a record) is ignored.
    if (IsAdding()) return {WalkStart::Busy};
    pressing = true;
    struct Pressed {
        ~Pressed() { pressing = false; }
    } pressed;
    const unsigned stops = StopCount();
    WalkRequest request;
    request.player = modGlobalDefinitions::hWndWinamp;
    request.folder.assign(folder);
    request.recurse = recurse;
    request.record = &PlayFileRecord;
    // Asked here, on the player's thread, once per press.
    request.played = WinampHost::AskExtensions(request.player);
    // A stop while the player answered (the host let go, the browser closed) stops this press.
    if (StopCount() != stops) return {WalkStart::Stopped};
    request.lister = std::move(lister);
    request.owner = owner;
    return StartWalk(std::move(request), observer);
}
}
