#include "folders/modDirhoardEx.h"

#include <algorithm>
#include "folders/UnreadableNotice.h"
#include "core/WinampHost.h"
#include "core/modGlobalDefinitions.h"

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

void AddFolderToPlaylist(std::wstring_view folder, const WalkWatch &watch) {
    // A press that comes in while a walk runs (its loop dispatches messages, and so may the
    // player while it takes a record) is ignored: one walk at a time.
    if (IsWalking()) return;
    const HWND player = modGlobalDefinitions::hWndWinamp;
    // Asked here, on the player's thread, once per press.
    const WalkOutcome outcome =
        RunWalk(player, PlayFileRecord, folder, RecurseSubfolders, WinampHost::AskExtensions(player), watch);
    // A stopped walk is the user's choice, not a fault.
    if (outcome.result.unreadable && !outcome.stopped) ShowUnreadableNotice(watch.dialog, outcome.result);
}
}
