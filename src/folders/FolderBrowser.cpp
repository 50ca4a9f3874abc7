#include "folders/FolderBrowser.h"

#include <commctrl.h>
#include <algorithm>
#include "win32/Accessible.h"
#include "win32/Barrier.h"
#include "win32/Decimal.h"
#include "win32/Handles.h"
#include "win32/Module.h"
#include "win32/StepTimes.h"
#include "core/Settings.h"
#include "core/WinampHost.h"
#include "core/modGlobalDefinitions.h"
#include "folders/Folders.h"
#include "folders/LongPath.h"
#include "folders/modDirhoardEx.h"

namespace folders {
using namespace modDirhoardEx;

namespace {
constexpr DWORD kRecurseCheckStyle = 0x50010D03;  // child, visible, tab stop, v-centred, left, auto check box
// The one browser that is open; heap-held, so that a thread that ended inside the shell's call
// leaves no pointer into its stack.
FolderBrowser *open = nullptr;

// The child that holds the folder tree (the tree itself, or the shell's control around it),
// and the tree.
HWND TreeHolder(HWND dialog) {
    for (HWND child = FindWindowExW(dialog, nullptr, nullptr, nullptr); child;
         child = FindWindowExW(dialog, child, nullptr, nullptr)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (lstrcmpiW(name, WC_TREEVIEWW) == 0 || FindWindowExW(child, nullptr, WC_TREEVIEWW, nullptr)) return child;
    }
    return nullptr;
}

HWND TreeIn(HWND holder) {
    wchar_t name[32] = {};
    if (holder) GetClassNameW(holder, name, 32);
    return !holder || lstrcmpiW(name, WC_TREEVIEWW) == 0 ? holder : FindWindowExW(holder, nullptr, WC_TREEVIEWW, nullptr);
}

bool SameFolder(const std::wstring &a, const std::wstring &b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Brings the cursor's shape up to date where it is, without waiting for the mouse to move.
void RefreshCursor() {
    POINT at;
    if (GetCursorPos(&at)) SetCursorPos(at.x, at.y);
}
}

FolderBrowser *FolderBrowser::Current() {
    // A dialog whose thread ended went without its WM_DESTROY: it is open no more.
    if (open && open->dialog_ && !IsWindow(open->dialog_)) {
        open->Closed();
        open = nullptr;
    }
    return open;
}

void FolderBrowser::Run() {
    std::fill_n(SelectedPath, kPathChars, L' ');
    SelectedPath[kPathChars] = L'\0';
    std::copy_n(SelectedPath, kPathChars + 1, PathScratch);
    BROWSEINFOW request{};
    request.ulFlags = BIF_NEWDIALOGSTYLE;
    request.lpfn = BrowseCallback;
    open = this;
    struct Done {
        ~Done() { open = nullptr; }
    } done;
    ItemList chosen(SHBrowseForFolderW(&request));
}

void FolderBrowser::LoadSelectedPath() {
    // Other tools write the extended form; the tree knows the folder by its ordinary one.
    std::wstring stored = OrdinaryForm(Settings::LoadPath());
    if (stored.size() >= kPathChars) stored = L"C:\\";
    SetSelectedPath(stored);
    // The tree goes there once its disk has answered, which may take seconds: not on this thread.
    check_ = FolderCheck::Start(std::move(stored), dialog_, checked_, probe_);
}

void FolderBrowser::SetSelectedPath(std::wstring path) {
    path.push_back(L'\0');
    const size_t n = std::min(path.size(), kPathChars);
    std::copy_n(path.data(), n, SelectedPath);
    std::fill(SelectedPath + n, SelectedPath + kPathChars, L' ');
    SelectedPath[kPathChars] = L'\0';
}

// The stored folder, or where it was, once the disk has answered; not once the tree has left its
// root, which the user or another program chose meanwhile.
void FolderBrowser::OnChecked(HWND dialog) {
    const std::optional<std::wstring> found = check_ ? check_->Answer() : std::nullopt;
    if (!found) return;
    check_.reset();
    if (tree_) {
        const auto caret = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (caret && caret != reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0))) return;
    }
    // Nothing of it is left (a drive unplugged): where the design starts.
    SetSelectedPath(found->empty() ? L"C:\\" : *found);
    SendMessageW(dialog, BFFM_SETEXPANDED, TRUE, reinterpret_cast<LPARAM>(SelectedPath));
    // Expanding alone leaves the old selection: select it too, so the tree shows what "Add Dir" adds.
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(SelectedPath));
    // A real folder, selected or not where Wine's tree loses it: "Add Dir" adds it.
    if (std::exchange(addDirDisabled_, false)) SendMessageW(dialog, BFFM_ENABLEOK, 0, 1);
}

void FolderBrowser::OnInitialized(HWND dialog) {
    if (!Subclass::Place(dialog, BrowseDialogProc, own_)) return;
    PrevDialogProc = own_.proc;
    dialog_ = dialog;
    escapeFilter_ = SetWindowsHookExW(WH_MSGFILTER, EscapeFilter, nullptr, GetCurrentThreadId());
    SendMessageW(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Dirhoard +"));
    LoadSelectedPath();
    SendMessageW(dialog, BFFM_SETOKTEXT, 0, reinterpret_cast<LPARAM>(L"Add Dir"));
    // By identifier first: the button reads "Cancel" only on an English system.
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (!cancel) cancel = FindWindowExA(dialog, nullptr, "Button", "Cancel");
    if (cancel) SendMessageA(cancel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Finish"));
    if (HWND label = FindWindowExA(dialog, nullptr, "Static", "")) SendMessageA(label, WM_CLOSE, 0, 0);
    hWndRecurseCheck = CreateWindowExA(0, "Button", "Recurse subdirectories", kRecurseCheckStyle, 15, 11, 250, 39,
                                       dialog, nullptr, Module::Instance(), nullptr);
    const HWND holder = TreeHolder(dialog);
    // The box stands above the tree: Tab reaches it first, as the eye does.
    if (hWndRecurseCheck && holder) {
        const HWND before = GetWindow(holder, GW_HWNDPREV);
        SetWindowPos(hWndRecurseCheck, before ? before : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    RecurseSubfolders = Settings::LoadRecurse();
    if (RecurseSubfolders) SendMessageA(hWndRecurseCheck, BM_SETCHECK, BST_CHECKED, 0);
    // On the platform the label the dialog loses names the tree; without it, this does.
    if ((tree_ = TreeIn(holder))) Accessible::SetName(tree_, kTreeName);
    line_.Create(dialog, holder);
    PostMessageW(dialog, settleFocus_, 0, 0);
}

void FolderBrowser::OnSelectionChanged(HWND dialog, PCIDLIST_ABSOLUTE item) {
    if (!SHGetPathFromIDListW(item, PathScratch)) PathScratch[0] = L'\0';
    if (PathScratch[0] == L'\0') {
        SendMessageW(dialog, BFFM_ENABLEOK, 0, 0);
        addDirDisabled_ = true;
        return;
    }
    // A walk has its own copy: a new selection is for the next press.
    std::copy_n(PathScratch, kPathChars, SelectedPath);
    if (std::exchange(addDirDisabled_, false)) SendMessageW(dialog, BFFM_ENABLEOK, 0, 1);
}

LRESULT FolderBrowser::PassOn(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Subclass::PassOn(own_, dialog, message, wParam, lParam);
}

void FolderBrowser::StoreSettings() {
    if (std::exchange(settingsStored_, true)) return;
    Settings::StorePath(PathIn(SelectedPath));
    Settings::StoreRecurse(RecurseSubfolders);
}

// The dialog counts as closed from here on: the guard is re-armed.
void FolderBrowser::Closed() {
    if (escapeFilter_) UnhookWindowsHookEx(std::exchange(escapeFilter_, nullptr));
    if (tree_) Accessible::Forget(std::exchange(tree_, nullptr));
    line_.Destroy();
    PrevDialogProc = nullptr;
    hWndRecurseCheck = nullptr;
    dialog_ = nullptr;
}

LRESULT FolderBrowser::OnDestroy(HWND dialog, WPARAM wParam, LPARAM lParam) {
    StopWalk();
    const Subclass::Previous own = own_;
    Subclass::Restore(dialog, own);
    Closed();
    // However the writing ends, the dialog's own procedure must see its WM_DESTROY.
    CallbackBarrier(0, [&] {
        StoreSettings();
        return 0;
    });
    return Subclass::PassOn(own, dialog, WM_DESTROY, wParam, lParam);
}

bool FolderBrowser::IsPressed(const std::wstring &folder) const {
    if (SameFolder(folder, walked_)) return true;
    return std::any_of(queue_.begin(), queue_.end(), [&](const Pressed &p) { return SameFolder(folder, p.folder); });
}

void FolderBrowser::OnAddDir() {
    // Wine's dialog enables the button again for a selection without a path: it must add
    // nothing; nor does a press after the browser was told to close.
    if (addDirDisabled_ || settingsStored_) return;
    Pressed press{std::wstring(PathIn(SelectedPath)), RecurseSubfolders};
    if (!Walking()) {
        const StepTimes::Timed step("press: starts a walk");
        return Start(std::move(press), false);
    }
    // During a walk the press waits for its turn, once per folder.
    const StepTimes::Timed step("press: waits its turn");
    if (IsPressed(press.folder)) return;
    queue_.push_back(std::move(press));
    line_.Waiting(queue_.size());
}

void FolderBrowser::Start(Pressed press, bool queued) {
    walked_ = press.folder;
    // The design's default kind; each record goes out with the kind the sender gave it.
    PlayFileRecord.dwData = WinampHost::IPC_PLAYFILE;
    const WalkStart start = AddFolderToPlaylist(press.folder, press.recurse, *this, dialog_, lister_);
    if (start) {
        line_.Starting(runSent_, walked_, queue_.size());
        RefreshCursor();
        return;
    }
    // Not started (a stop while the player answered, the platform refused): nothing will end it.
    // A run the line already shows ends as stopped; a first press leaves the line as it was.
    if (Walking() && (queued || !queue_.empty())) EndRun(true);
    walked_.clear();
    if (start.kind == WalkStart::Refused) TellRefused(start.error);
}

// The press counts for nothing, and the user must learn why rather than wait for a walk.
void FolderBrowser::TellRefused(DWORD error) const {
    std::wstring text = L"The folder could not be added: Windows refused the walk its ";
    text += error == ERROR_SUCCESS ? L"resources." : L"resources (error " + Decimal(error) + L").";
    wchar_t *reason = nullptr;
    if (error != ERROR_SUCCESS &&
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t *>(&reason), 0, nullptr)) {
        text += L"\r\n\r\n";
        text += reason;
        LocalFree(reason);
    }
    MessageBoxW(dialog_, text.c_str(), modGlobalDefinitions::AppTitleW, MB_OK | MB_ICONWARNING);
}

void FolderBrowser::Progress(size_t sent, std::wstring_view folder) {
    line_.Walking(runSent_ + sent, folder, queue_.size());
}

void FolderBrowser::Ended(const WalkOutcome &outcome) {
    runSent_ += outcome.sent;
    walked_.clear();
    if (!outcome.stopped && !queue_.empty() && dialog_) {
        Pressed next = std::move(queue_.front());
        queue_.pop_front();
        return Start(std::move(next), true);
    }
    EndRun(outcome.stopped);
}

// Whatever stopped the walk, what waited goes with it.
void FolderBrowser::EndRun(bool stopped) {
    walked_.clear();
    queue_.clear();
    line_.Ended(runSent_, stopped);
    runSent_ = 0;
    RefreshCursor();
}

LRESULT FolderBrowser::OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
    if (hWndRecurseCheck && lParam == reinterpret_cast<LPARAM>(hWndRecurseCheck)) {
        RecurseSubfolders = !RecurseSubfolders;
    } else if (wParam == IDOK) {
        // Swallowed: the dialog stays open for the next folder.
        OnAddDir();
        return 0;
    } else if (LOWORD(wParam) == IDCANCEL) {
        // "Finish" during a walk ends the walk and what waits, then the dialog as always.
        StopWalk();
    }
    return PassOn(dialog, WM_COMMAND, wParam, lParam);
}

// Escape during a walk stops it and empties the queue, and leaves the dialog open for the next
// folder; the dialog manager would turn it into the same command as "Finish", which closes it.
LRESULT CALLBACK FolderBrowser::EscapeFilter(int code, WPARAM wParam, LPARAM lParam) {
    const bool taken = CallbackBarrier(false, [&] {
        const auto &msg = *reinterpret_cast<const MSG *>(lParam);
        if (code != MSGF_DIALOGBOX || !open || !open->dialog_ || !open->Walking()) return false;
        if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
        if (msg.hwnd != open->dialog_ && !IsChild(open->dialog_, msg.hwnd)) return false;
        StopWalk();
        return true;
    });
    return taken ? TRUE : CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT FolderBrowser::Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: return OnDestroy(dialog, wParam, lParam);
    case WM_COMMAND: return OnCommand(dialog, wParam, lParam);
    case WM_SETCURSOR:
        // Over the dialog and its controls: working, yet still usable.
        if (!Walking() || LOWORD(lParam) != HTCLIENT) break;
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
    case WM_SIZE: {
        const LRESULT result = PassOn(dialog, message, wParam, lParam);
        line_.Place(dialog, TreeHolder(dialog));
        return result;
    }
    case WM_DRAWITEM: {
        const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (!line_.Window() || item.hwndItem != line_.Window()) break;
        line_.Draw(item);
        return TRUE;
    }
    }
    if (message == checked_ && message) {
        OnChecked(dialog);
        return 0;
    }
    if (message == settleFocus_ && message) {
        if (GetFocus() == hWndRecurseCheck && tree_) SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tree_), TRUE);
        return 0;
    }
    return PassOn(dialog, message, wParam, lParam);
}

void FolderBrowser::Close() {
    StopWalk();
    if (!dialog_) return;
    StoreSettings();
    PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
}
}

namespace modDirhoardEx {
using folders::FolderBrowser;

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM) {
    return CallbackBarrier(0, [&] {
        FolderBrowser *browser = FolderBrowser::Current();
        if (!browser) return 0;
        if (message == BFFM_INITIALIZED) browser->OnInitialized(dialog);
        else if (message == BFFM_SELCHANGED) browser->OnSelectionChanged(dialog, reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        return 0;
    });
}

void ShowFolderBrowser() { ShowFolderBrowser(folders::Lister::Platform()); }

void ShowFolderBrowser(std::shared_ptr<const folders::Lister> lister, const folders::FolderProbe &probe) {
    if (FolderBrowser::Current() || PrevDialogProc) return;
    const auto browser = std::make_unique<FolderBrowser>(std::move(lister), probe);
    browser->Run();
}

LRESULT CALLBACK BrowseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallbackBarrier<LRESULT>(0, [&]() -> LRESULT {
        if (FolderBrowser *browser = FolderBrowser::Current()) return browser->Handle(dialog, message, wParam, lParam);
        return DefDlgProcW(dialog, message, wParam, lParam);
    });
}
}

void modDirhoardEx::CloseFolderBrowser() {
    StopWalk();
    if (folders::FolderBrowser *browser = folders::FolderBrowser::Current()) browser->Close();
}
