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
bool AddDirDisabled = false;

std::wstring_view PathIn(const wchar_t (&buffer)[kPathChars + 1]) {
    return std::wstring_view(buffer, std::find(buffer, buffer + kPathChars, L'\0') - buffer);
}

bool AddFolderToPlaylist(std::wstring_view folder, WalkObserver &observer, HWND owner, FindFirstFunction listing) {
    // One walk at a time: a press that comes in while one runs (the player may pump messages
    // while it takes a record) is ignored.
    if (IsWalking()) return false;
    WalkRequest request;
    request.player = modGlobalDefinitions::hWndWinamp;
    request.folder.assign(folder);
    request.recurse = RecurseSubfolders;
    // Asked here, on the player's thread, once per press.
    request.played = WinampHost::AskExtensions(request.player);
    request.listing = listing;
    request.owner = owner;
    return StartWalk(std::move(request), observer);
}
}
