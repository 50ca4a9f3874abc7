// The shell's folder dialog turned into an adding tool: BrowseCallback customises it at its
// start and follows the selection, BrowseDialogProc sits in front of its own procedure.
#include <shlobj.h>
#include <algorithm>
#include <atomic>
#include <memory>
#include "win32/Handles.h"
#include "win32/Barrier.h"
#include "win32/Module.h"
#include "core/Settings.h"
#include "core/WinampHost.h"
#include "folders/modDirhoardEx.h"

namespace modDirhoardEx {
namespace {
constexpr DWORD kRecurseCheckStyle = 0x50010D03;  // child, visible, tab stop, v-centred, left, auto check box

// The dialog's window while it is open, for closing it from outside.
HWND openDialog = nullptr;

// A network folder whose server is off can take the platform tens of seconds to refuse.
constexpr DWORD kNetworkCheckMs = 1000;

void LoadSelectedPath() {
    std::wstring stored = Settings::LoadPath();
    // The tree cannot select what is no folder, and "Add Dir" would add what it does not show.
    if (stored.size() >= kPathChars || !IsFolderWithin(stored, kNetworkCheckMs)) stored = L"C:\\";
    stored.push_back(L'\0');
    const size_t n = std::min(stored.size(), kPathChars);
    std::copy_n(stored.data(), n, SelectedPath);
    std::fill(SelectedPath + n, SelectedPath + kPathChars, L' ');
    SelectedPath[kPathChars] = L'\0';
}

void OnInitialized(HWND dialog) {
    PrevDialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BrowseDialogProc)));
    openDialog = dialog;
    AddDirDisabled = false;
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
}

void OnSelectionChanged(HWND dialog, PCIDLIST_ABSOLUTE item) {
    if (!SHGetPathFromIDListW(item, PathScratch)) PathScratch[0] = L'\0';
    if (PathScratch[0] == L'\0') {
        SendMessageW(dialog, BFFM_ENABLEOK, 0, 0);
        AddDirDisabled = true;
        return;
    }
    std::copy_n(PathScratch, kPathChars, SelectedPath);
    if (AddDirDisabled) {
        SendMessageW(dialog, BFFM_ENABLEOK, 0, 1);
        AddDirDisabled = false;
    }
}

LRESULT PassOn(WNDPROC own, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return own ? CallWindowProcA(own, dialog, message, wParam, lParam) : DefWindowProcA(dialog, message, wParam, lParam);
}

LRESULT OnDestroy(HWND dialog, WPARAM wParam, LPARAM lParam) {
    const WNDPROC own = PrevDialogProc;
    SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    PrevDialogProc = nullptr;
    hWndRecurseCheck = nullptr;
    openDialog = nullptr;
    CallbackBarrier(0, [] {
        Settings::StorePath(PathIn(SelectedPath));
        Settings::StoreRecurse(RecurseSubfolders);
        return 0;
    });
    return PassOn(own, dialog, WM_DESTROY, wParam, lParam);
}

void OnAddDir(HWND dialog) {
    // Wine's dialog enables the button again for a selection without a path: it must add nothing.
    if (AddDirDisabled) return;
    CallbackBarrier(0, [dialog] {
        // The record's default kind; the sender sets each record's own as it points it.
        PlayFileRecord.dwData = WinampHost::IPC_PLAYFILE;
        AddFolderToPlaylist(PathIn(SelectedPath), dialog);
        return 0;
    });
}

LRESULT OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
    if (hWndRecurseCheck && lParam == reinterpret_cast<LPARAM>(hWndRecurseCheck)) {
        RecurseSubfolders = !RecurseSubfolders;
    } else if (wParam == IDOK) {
        // Swallowed: the dialog stays open for the next folder.
        OnAddDir(dialog);
        return 0;
    }
    return PassOn(PrevDialogProc, dialog, WM_COMMAND, wParam, lParam);
}
}

namespace {
struct FolderCheck {
    std::wstring path;
    DWORD (WINAPI *attributes)(LPCWSTR);
    std::atomic<DWORD> found{INVALID_FILE_ATTRIBUTES};
};

// Holds the check and the module until it ends, however long the caller waited.
DWORD WINAPI CheckFolder(void *parameter) {
    std::shared_ptr<FolderCheck> check(std::move(*static_cast<std::shared_ptr<FolderCheck> *>(parameter)));
    delete static_cast<std::shared_ptr<FolderCheck> *>(parameter);
    check->found = check->attributes(check->path.c_str());
    check.reset();
    FreeLibraryAndExitThread(Module::Instance(), 0);
}
}

bool IsFolderWithin(const std::wstring &path, DWORD timeoutMs, DWORD (WINAPI *attributes)(LPCWSTR)) {
    DWORD found = INVALID_FILE_ATTRIBUTES;
    if (!path.starts_with(L"\\\\")) {
        found = attributes(path.c_str());
    } else {
        auto check = std::make_shared<FolderCheck>();
        check->path = path;
        check->attributes = attributes;
        HMODULE self = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&CheckFolder), &self))
            return false;
        auto *handOver = new std::shared_ptr<FolderCheck>(check);
        KernelHandle thread(CreateThread(nullptr, 0, CheckFolder, handOver, 0, nullptr));
        if (!thread) {
            delete handOver;
            FreeLibrary(self);
            return false;
        }
        if (WaitForSingleObject(thread.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
        found = check->found;
    }
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY);
}

void CloseFolderBrowser() {
    if (openDialog) PostMessageW(openDialog, WM_COMMAND, IDCANCEL, 0);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM) {
    return CallbackBarrier(0, [&] {
        if (message == BFFM_INITIALIZED) OnInitialized(dialog);
        else if (message == BFFM_SELCHANGED) OnSelectionChanged(dialog, reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        return 0;
    });
}

LRESULT CALLBACK BrowseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: return OnDestroy(dialog, wParam, lParam);
    case WM_COMMAND: return OnCommand(dialog, wParam, lParam);
    default: return PassOn(PrevDialogProc, dialog, message, wParam, lParam);
    }
}
}
