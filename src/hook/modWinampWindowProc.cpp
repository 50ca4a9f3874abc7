#include "hook/modWinampWindowProc.h"

#include <string>
#include "win32/Barrier.h"
#include "win32/Module.h"
#include "win32/Subclass.h"
#include "core/WinampHost.h"
#include "folders/Folders.h"
#include "core/modGlobalDefinitions.h"

namespace modWinampWindowProc {
WNDPROC PrevWinampProc = nullptr;
int32_t PlaylistWndAnswer = 0;

namespace {
using modGlobalDefinitions::AppTitle;
using modGlobalDefinitions::hWndWinamp;

// The window the hook sits on, from HookWinampWindow until its WM_DESTROY.
HWND hookedWindow = nullptr;
// The player's window is Unicode: its procedure is set and called with the wide functions.
bool winampUnicode = false;

Subclass::Previous Players() { return {PrevWinampProc, winampUnicode}; }

LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Subclass::PassOn(Players(), window, message, wParam, lParam);
}

void Forget() {
    hookedWindow = nullptr;
    PrevWinampProc = nullptr;
}

void OnDestroy() {
    // The stored handle, not the message's: the hook was placed on hWndWinamp.
    Subclass::Restore(hWndWinamp, Players());
    hookedWindow = nullptr;
    // Without the player there is nothing left to add to: not one more record.
    modDirhoardEx::CloseFolderBrowser();
}

// One set of notices at a time: each box's loop dispatches the next command, and boxes
// opened inside boxes would nest until the stack ran out.
bool noticesOpen = false;

void OnCommand(WPARAM wParam) {
    if (LOWORD(wParam) != WinampHost::ID_PLAY_FOLDER || noticesOpen) return;
    noticesOpen = true;
    struct Closed {
        ~Closed() { noticesOpen = false; }
    } closed;
    MessageBoxA(nullptr, "Play Folder", AppTitle, MB_OK | MB_ICONINFORMATION);
    MessageBoxA(nullptr, std::to_string(PlaylistWndAnswer).c_str(), AppTitle, MB_OK);
}

void OnSysCommand(WPARAM wParam) {
    // The whole wParam, unlike WM_COMMAND: a notification code in the high word is no match.
    if (wParam != WinampHost::ID_PLAY_FOLDER) return;
    MessageBoxA(nullptr, "Play Folder (Accelerator)", AppTitle, MB_OK | MB_ICONINFORMATION);
}

// The identifier is a 32-bit int to the platform; 64-bit Windows may or may not extend it.
// After shutdown there is no id: the atom is gone and its number may be anyone's.
bool IsOurHotKey(WPARAM wParam) {
    return modGlobalDefinitions::HotKeyId != 0 && static_cast<int32_t>(wParam) == modGlobalDefinitions::WidenedHotKeyId();
}

void Handle(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_DESTROY: OnDestroy(); break;
    case WM_COMMAND: OnCommand(wParam); break;
    case WM_SYSCOMMAND: OnSysCommand(wParam); break;
    case WM_HOTKEY:
        if (IsOurHotKey(wParam)) modDirhoardEx::ShowFolderBrowser();
        break;
    }
}
}

bool IsHooked() {
    // A window whose thread ended went without a WM_DESTROY for us: it is hooked no more.
    if (hookedWindow && !IsWindow(hookedWindow)) Forget();
    return hookedWindow != nullptr;
}

bool HookWinampWindow() {
    if (IsHooked()) return hookedWindow == hWndWinamp;
    // The hook's state belongs to one thread: a window of another, or none, is not hooked.
    if (!IsWindow(hWndWinamp) || GetWindowThreadProcessId(hWndWinamp, nullptr) != GetCurrentThreadId()) return false;
    Subclass::Previous previous;
    if (!Subclass::Place(hWndWinamp, &WinampWindowProc, previous)) return false;
    // Our procedure stays in the player's chain until the player's window goes, whatever
    // the host does with our object: the DLL must stay loaded until then.
    Module::Pin();
    hookedWindow = hWndWinamp;
    PrevWinampProc = previous.proc;
    winampUnicode = previous.unicode;
    PlaylistWndAnswer = static_cast<int32_t>(SendMessageA(hWndWinamp, WinampHost::WM_WA_IPC,
                                                          WinampHost::IPC_GETWND_QUERY, WinampHost::IPC_GETWND));
    return true;
}

// The one door. Our own hotkey stops here, whatever becomes of it; every other message, a
// failed one and WM_DESTROY included, goes on to the player.
LRESULT CALLBACK WinampWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool ours = message == WM_HOTKEY && IsOurHotKey(wParam);
    CallbackBarrier(0, [&] { Handle(message, wParam); return 0; });
    return ours ? 0 : PassOn(window, message, wParam, lParam);
}
}
