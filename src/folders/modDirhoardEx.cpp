#include "folders/modDirhoardEx.h"

#include <shlobj.h>
#include <algorithm>
#include "folders/FolderWalker.h"
#include "win32/Handles.h"
#include "folders/UnreadableNotice.h"
#include "core/modGlobalDefinitions.h"

namespace modDirhoardEx {
WNDPROC PrevDialogProc = nullptr;
HWND hWndRecurseCheck = nullptr;
wchar_t SelectedPath[kPathChars + 1] = {};
wchar_t PathScratch[kPathChars + 1] = {};
bool RecurseSubfolders = false;
COPYDATASTRUCT PlayFileRecord = {};
bool AddDirDisabled = false;

namespace {
// Between the call into the shell and the dialog's first callback the guard is not set yet.
bool Browsing = false;
}

std::wstring_view PathIn(const wchar_t (&buffer)[kPathChars + 1]) {
    return std::wstring_view(buffer, std::find(buffer, buffer + kPathChars, L'\0') - buffer);
}

void ShowFolderBrowser() {
    if (PrevDialogProc || Browsing) return;
    std::fill_n(SelectedPath, kPathChars, L' ');
    SelectedPath[kPathChars] = L'\0';
    std::copy_n(SelectedPath, kPathChars + 1, PathScratch);

    BROWSEINFOW request{};
    request.ulFlags = BIF_NEWDIALOGSTYLE;
    request.lpfn = BrowseCallback;
    Browsing = true;
    ItemList chosen(SHBrowseForFolderW(&request));
    Browsing = false;
}

void AddFolderToPlaylist(std::wstring_view folder, HWND owner) {
    // A press that comes in while the player handles a record of this walk is ignored: a
    // second walk would free the buffers that record points into.
    static bool walking = false;
    if (walking) return;
    WalkResult result;
    {
        // However the walk ends, its buffers go with it: the record must not point into them.
        struct Walking {
            Walking() { walking = true; }
            ~Walking() {
                PlayFileRecord.lpData = nullptr;
                PlayFileRecord.cbData = 0;
                walking = false;
            }
        } during;
        FolderWalker walker(modGlobalDefinitions::hWndWinamp, PlayFileRecord);
        result = walker.Walk(folder, RecurseSubfolders);
    }
    if (result.unreadable) ShowUnreadableNotice(owner, result);
}
}
