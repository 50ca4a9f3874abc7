// The shell's folder dialog turned into an adding tool: ShowFolderBrowser opens it,
// BrowseCallback customises it at its start and follows the selection, BrowseDialogProc sits
// in front of its own procedure, and the dialog watches the walks it starts.
#include <shlobj.h>
#include <commctrl.h>
#include <algorithm>
#include "win32/Handles.h"
#include "win32/Barrier.h"
#include "win32/Module.h"
#include "win32/StepTimes.h"
#include "win32/Subclass.h"
#include "core/Settings.h"
#include "core/WinampHost.h"
#include "folders/BackgroundWalk.h"
#include "folders/FolderCheck.h"
#include "folders/Folders.h"
#include "folders/LongPath.h"
#include "folders/modDirhoardEx.h"

namespace modDirhoardEx {
using namespace folders;

namespace {
constexpr DWORD kRecurseCheckStyle = 0x50010D03;  // child, visible, tab stop, v-centred, left, auto check box

// The dialog's window while it is open, for closing it from outside.
HWND openDialog = nullptr;
// The shell's dialog is Unicode: its procedure is set and called with the wide functions.
bool dialogUnicode = false;
// Between the call into the shell and the dialog's first callback the guard is not set yet.
bool browsing = false;
// The line under the tree that shows a walk's progress; hidden until the first walk.
HWND progressLabel = nullptr;
// What lists the folders of this dialog's walks.
std::shared_ptr<const Lister> lister;
// Sees Escape on its way to the dialog: the shell's loop does not show it to us.
HHOOK escapeFilter = nullptr;
// The folder and the box were stored when the browser was told to close: nothing more is.
bool settingsStored = false;

LRESULT CALLBACK EscapeFilter(int code, WPARAM wParam, LPARAM lParam);

// A network folder whose server is off can take the platform tens of seconds to refuse.
constexpr DWORD kNetworkCheckMs = 1000;

void LoadSelectedPath() {
    // Other tools write the extended form; the tree knows the folder by its ordinary one.
    std::wstring stored = OrdinaryForm(Settings::LoadPath());
    // The tree cannot select what is no folder, and "Add Dir" would add what it does not show.
    if (stored.size() >= kPathChars || !IsFolderWithin(stored, kNetworkCheckMs)) stored = L"C:\\";
    stored.push_back(L'\0');
    const size_t n = std::min(stored.size(), kPathChars);
    std::copy_n(stored.data(), n, SelectedPath);
    std::fill(SelectedPath + n, SelectedPath + kPathChars, L' ');
    SelectedPath[kPathChars] = L'\0';
}

// The child that holds the folder tree: the tree itself, or the shell's control around it.
HWND TreeHolder(HWND dialog) {
    for (HWND child = FindWindowExW(dialog, nullptr, nullptr, nullptr); child;
         child = FindWindowExW(dialog, child, nullptr, nullptr)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (lstrcmpiW(name, WC_TREEVIEWW) == 0 || FindWindowExW(child, nullptr, WC_TREEVIEWW, nullptr)) return child;
    }
    return nullptr;
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

// One line between the tree and the buttons, as wide as the tree; the tree gives up the room
// where the dialog left too little.
void PlaceProgress(HWND dialog) {
    HWND tree = TreeHolder(dialog), addDir = GetDlgItem(dialog, IDOK);
    if (!progressLabel || !tree || !addDir) return;
    TEXTMETRICW metrics{};
    if (HDC dc = GetDC(progressLabel)) {
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(progressLabel, WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(progressLabel, dc);
    }
    const int height = metrics.tmHeight + 2;
    RECT treeRect = ChildRect(dialog, tree);
    const RECT buttonRect = ChildRect(dialog, addDir);
    if (buttonRect.top - treeRect.bottom < height + 4) {
        treeRect.bottom = buttonRect.top - height - 4;
        SetWindowPos(tree, nullptr, 0, 0, treeRect.right - treeRect.left, treeRect.bottom - treeRect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int top = treeRect.bottom + (buttonRect.top - treeRect.bottom - height) / 2;
    SetWindowPos(progressLabel, nullptr, treeRect.left, top, treeRect.right - treeRect.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

Subclass::Previous Dialogs() { return {PrevDialogProc, dialogUnicode}; }

void OnInitialized(HWND dialog) {
    Subclass::Previous own;
    Subclass::Place(dialog, BrowseDialogProc, own);
    PrevDialogProc = own.proc;
    dialogUnicode = own.unicode;
    openDialog = dialog;
    AddDirDisabled = false;
    settingsStored = false;
    escapeFilter = SetWindowsHookExW(WH_MSGFILTER, EscapeFilter, nullptr, GetCurrentThreadId());
    SendMessageW(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Dirhoard +"));
    LoadSelectedPath();
    SendMessageW(dialog, BFFM_SETEXPANDED, TRUE, reinterpret_cast<LPARAM>(SelectedPath));
    // Expanding alone leaves the old selection: select it too, so the tree shows what "Add Dir" adds.
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(SelectedPath));
    SendMessageW(dialog, BFFM_SETOKTEXT, 0, reinterpret_cast<LPARAM>(L"Add Dir"));
    // By identifier first: the button reads "Cancel" only on an English system.
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (!cancel) cancel = FindWindowExA(dialog, nullptr, "Button", "Cancel");
    if (cancel) SendMessageA(cancel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Finish"));
    if (HWND label = FindWindowExA(dialog, nullptr, "Static", "")) SendMessageA(label, WM_CLOSE, 0, 0);
    hWndRecurseCheck = CreateWindowExA(0, "Button", "Recurse subdirectories", kRecurseCheckStyle, 15, 11, 250, 39,
                                       dialog, nullptr, Module::Instance(), nullptr);
    RecurseSubfolders = Settings::LoadRecurse();
    if (RecurseSubfolders) SendMessageA(hWndRecurseCheck, BM_SETCHECK, BST_CHECKED, 0);
    progressLabel = CreateWindowExW(0, L"Static", L"", WS_CHILD | SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS | SS_NOPREFIX,
                                    0, 0, 0, 0, dialog, nullptr, Module::Instance(), nullptr);
    SendMessageW(progressLabel, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    PlaceProgress(dialog);
}

void OnSelectionChanged(HWND dialog, PCIDLIST_ABSOLUTE item) {
    if (!SHGetPathFromIDListW(item, PathScratch)) PathScratch[0] = L'\0';
    if (PathScratch[0] == L'\0') {
        SendMessageW(dialog, BFFM_ENABLEOK, 0, 0);
        AddDirDisabled = true;
        return;
    }
    // The walk's own folder was copied: a new selection is for the next press.
    std::copy_n(PathScratch, kPathChars, SelectedPath);
    // The flag follows every selection, also during a walk, whose end enables the button by it.
    if (std::exchange(AddDirDisabled, false) && !IsWalking()) SendMessageW(dialog, BFFM_ENABLEOK, 0, 1);
}

LRESULT PassOn(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Subclass::PassOn(Dialogs(), dialog, message, wParam, lParam);
}

void StoreSettings() {
    if (std::exchange(settingsStored, true)) return;
    Settings::StorePath(PathIn(SelectedPath));
    Settings::StoreRecurse(RecurseSubfolders);
}

// The dialog counts as closed from here on: the guard is re-armed.
void Closed() {
    if (escapeFilter) UnhookWindowsHookEx(std::exchange(escapeFilter, nullptr));
    PrevDialogProc = nullptr;
    hWndRecurseCheck = nullptr;
    progressLabel = nullptr;
    openDialog = nullptr;
}

LRESULT OnDestroy(HWND dialog, WPARAM wParam, LPARAM lParam) {
    StopWalk();
    const Subclass::Previous own = Dialogs();
    Subclass::Restore(dialog, own);
    Closed();
    // However the writing ends, the dialog's own procedure must see its WM_DESTROY.
    CallbackBarrier(0, [] {
        StoreSettings();
        return 0;
    });
    return Subclass::PassOn(own, dialog, WM_DESTROY, wParam, lParam);
}

std::wstring FilesText(size_t files) {
    return std::to_wstring(files) + (files == 1 ? L" file" : L" files");
}

void ShowProgress(const std::wstring &text) {
    if (progressLabel) SetWindowTextW(progressLabel, text.c_str());
}

// Brings the cursor's shape up to date where it is, without waiting for the mouse to move.
void RefreshCursor() {
    POINT at;
    if (GetCursorPos(&at)) SetCursorPos(at.x, at.y);
}

// While the walk runs the dialog stays live, but neither "Add Dir" nor the check box works.
void SetWalking(HWND dialog, bool walking) {
    const StepTimes::Timed step(walking ? "press: the dialog's controls" : "end: the dialog's controls");
    HWND addDir = GetDlgItem(dialog, IDOK);
    const HWND focus = GetFocus();
    if (walking && progressLabel) ShowWindow(progressLabel, SW_SHOWNA);
    if (walking && progressLabel && (focus == addDir || focus == hWndRecurseCheck)) {
        // A disabled control cannot keep the focus, and Escape needs a place to go: the line that
        // tells how the walk goes. Not the tree, which Wine repaints whole (15 ms) when it gains it.
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(progressLabel), TRUE);
    }
    EnableWindow(addDir, !walking && !AddDirDisabled);
    EnableWindow(hWndRecurseCheck, !walking);
    // Over, the keyboard is back on the button that started the walk, unless the user moved it.
    if (!walking && focus == progressLabel && IsWindowEnabled(addDir))
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(addDir), TRUE);
    RefreshCursor();
}

// The dialog's view of its walks: the line under the tree, and the controls back at the end.
class DialogWatch final : public WalkObserver {
public:
    void Progress(size_t sent, std::wstring_view folder) override {
        ShowProgress(L"Adding: " + FilesText(sent) + L", reading " + std::wstring(folder));
        // Wine's dialog enables "Add Dir" again after a selection change, also during a walk.
        if (HWND addDir = GetDlgItem(openDialog, IDOK); IsWindowEnabled(addDir)) EnableWindow(addDir, FALSE);
    }
    void Ended(const WalkOutcome &outcome) override {
        ShowProgress(L"Added " + FilesText(outcome.sent) + L".");
        if (openDialog) SetWalking(openDialog, false);
    }
} dialogWatch;

void OnAddDir(HWND dialog) {
    // Wine's dialog enables the button again for a selection without a path: it must add
    // nothing. A press while another is answered or walks (a posted one, or one the player's
    // answer let through) adds nothing and leaves the controls to it, nor does one after the
    // browser was told to close.
    if (AddDirDisabled || IsAdding() || settingsStored) return;
    // The design's default kind; each record goes out with the kind the sender gave it.
    PlayFileRecord.dwData = WinampHost::IPC_PLAYFILE;
    SetWalking(dialog, true);
    // Started, the walk's end gives the controls back; refused, nothing will.
    bool started = false;
    struct Refused {
        HWND dialog;
        const bool &started;
        ~Refused() {
            if (!started && openDialog == dialog) SetWalking(dialog, false);
        }
    } refused{dialog, started};
    started = AddFolderToPlaylist(PathIn(SelectedPath), dialogWatch, dialog, lister);
}

LRESULT OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
    if (hWndRecurseCheck && lParam == reinterpret_cast<LPARAM>(hWndRecurseCheck)) {
        RecurseSubfolders = !RecurseSubfolders;
    } else if (wParam == IDOK) {
        // Swallowed: the dialog stays open for the next folder.
        OnAddDir(dialog);
        return 0;
    } else if (LOWORD(wParam) == IDCANCEL) {
        // "Finish" during a walk ends the walk, then the dialog as always.
        StopWalk();
    }
    return PassOn(dialog, WM_COMMAND, wParam, lParam);
}

bool IsEscapeFor(HWND dialog, const MSG &msg) {
    return dialog && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
           (msg.hwnd == dialog || IsChild(dialog, msg.hwnd));
}

// Escape during a walk stops the walk and leaves the dialog open for the next folder; the
// dialog manager would turn it into the same command as "Finish", which closes it.
LRESULT CALLBACK EscapeFilter(int code, WPARAM wParam, LPARAM lParam) {
    const bool taken = CallbackBarrier(false, [&] {
        if (code != MSGF_DIALOGBOX || !IsWalking() || !IsEscapeFor(openDialog, *reinterpret_cast<const MSG *>(lParam)))
            return false;
        StopWalk();
        return true;
    });
    return taken ? TRUE : CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT OnSetCursor(HWND dialog, WPARAM wParam, LPARAM lParam) {
    // Over the dialog and its controls: working, yet still usable.
    if (IsWalking() && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
    }
    return PassOn(dialog, WM_SETCURSOR, wParam, lParam);
}

LRESULT OnSize(HWND dialog, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(dialog, WM_SIZE, wParam, lParam);
    PlaceProgress(dialog);
    return result;
}
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM) {
    return CallbackBarrier(0, [&] {
        if (message == BFFM_INITIALIZED) OnInitialized(dialog);
        else if (message == BFFM_SELCHANGED) OnSelectionChanged(dialog, reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        return 0;
    });
}

void ShowFolderBrowser() { ShowFolderBrowser(Lister::Platform()); }

void ShowFolderBrowser(std::shared_ptr<const Lister> given) {
    // A dialog whose thread ended went without its WM_DESTROY: it is open no more.
    if (openDialog && !IsWindow(openDialog)) {
        Closed();
        browsing = false;
    }
    if (PrevDialogProc || browsing) return;
    lister = std::move(given);
    std::fill_n(SelectedPath, kPathChars, L' ');
    SelectedPath[kPathChars] = L'\0';
    std::copy_n(SelectedPath, kPathChars + 1, PathScratch);

    BROWSEINFOW request{};
    request.ulFlags = BIF_NEWDIALOGSTYLE;
    request.lpfn = BrowseCallback;
    browsing = true;
    struct Done {
        ~Done() {
            browsing = false;
            lister.reset();
        }
    } done;
    ItemList chosen(SHBrowseForFolderW(&request));
}

LRESULT CALLBACK BrowseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallbackBarrier<LRESULT>(0, [&]() -> LRESULT {
        switch (message) {
        case WM_DESTROY: return OnDestroy(dialog, wParam, lParam);
        case WM_COMMAND: return OnCommand(dialog, wParam, lParam);
        case WM_SETCURSOR: return OnSetCursor(dialog, wParam, lParam);
        case WM_SIZE: return OnSize(dialog, wParam, lParam);
        default: return PassOn(dialog, message, wParam, lParam);
        }
    });
}
}

void folders::CloseFolderBrowser() {
    using namespace modDirhoardEx;
    StopWalk();
    if (!openDialog) return;
    StoreSettings();
    PostMessageW(openDialog, WM_COMMAND, IDCANCEL, 0);
}
