// Methods of frmDirhoardEx, the hotkey part of the configuration window object: Ctrl+Alt+letter
// on the player's window. A file of its own, named after the design's hotkey manager.
#include <windows.h>

#include "config/ControlLayout.h"
#include "core/Settings.h"
#include "config/frmDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

namespace {
using modGlobalDefinitions::hWndWinamp;
using modGlobalDefinitions::WidenedHotKeyId;

constexpr UINT kModifiers = MOD_ALT | MOD_CONTROL;

// The module's one registration, shared by every object started on the player's window:
// each object takes and gives back only its own part.
int holders = 0;
bool registered = false;

bool Register(int32_t keyCode) {
    // Without the player's window the key would belong to this thread and never be freed.
    if (!hWndWinamp) return false;
    registered = RegisterHotKey(hWndWinamp, WidenedHotKeyId(), kModifiers, static_cast<UINT>(keyCode)) != FALSE;
    return registered;
}

void Unregister() {
    if (registered) UnregisterHotKey(hWndWinamp, WidenedHotKeyId());
    registered = false;
}
}

void frmDirhoardEx::StartHotKey() {
    // Once per object: a second start would take a second reference on the atom.
    if (letterLoaded_) return;
    atom_ = GlobalAddAtomA(modGlobalDefinitions::AppTitle);
    modGlobalDefinitions::HotKeyId = static_cast<int16_t>(atom_);
    CurrentHotKey = Settings::LoadHotKey();
    letterLoaded_ = true;
    ++holders;
    // A combination held elsewhere leaves the plugin without a hotkey until the letter changes.
    if (!registered) Register(CurrentHotKey);
}

void frmDirhoardEx::SetHotKey(int32_t keyCode) {
    if (keyCode == CurrentHotKey) return;
    // Before start-up there is no window to register on: the letter is kept for now.
    if (!letterLoaded_ || !hWndWinamp) {
        CurrentHotKey = keyCode;
        return;
    }
    Unregister();
    if (Register(keyCode)) {
        CurrentHotKey = keyCode;
        return;
    }
    Register(CurrentHotKey);
    SetWindowTextW(Control(ControlLayout::txtHotKey), Settings::TextFromHotKey(CurrentHotKey).c_str());
    HWND owner = IsWindowVisible(Window()) ? Window() : nullptr;
    MessageBoxA(owner, "Failed to register the new HotKey\r\nRestored the previous one.",
                modGlobalDefinitions::AppTitle, MB_OK | MB_ICONEXCLAMATION);
}

void frmDirhoardEx::Shutdown() {
    if (IsQuitting) return;
    // Only what StartHotKey took. When start-up ended before it, there is no letter to store.
    // The registration goes with the last object that holds it.
    if (letterLoaded_) {
        if (--holders == 0) {
            Unregister();
            modGlobalDefinitions::HotKeyId = 0;
        }
        Settings::StoreHotKey(CurrentHotKey);
        GlobalDeleteAtom(atom_);
        atom_ = 0;
    }
    IsQuitting = true;
    if (Window()) SendMessageA(Window(), WM_CLOSE, 0, 0);
    owner_.Reset();
}
