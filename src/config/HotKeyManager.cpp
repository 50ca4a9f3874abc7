// The hotkey part of the configuration window object: Ctrl+Alt+letter on the player's window.
#include <windows.h>

#include "ControlLayout.h"
#include "Settings.h"
#include "frmDirhoardEx.h"
#include "modGlobalDefinitions.h"

namespace {
using modGlobalDefinitions::hWndWinamp;
using modGlobalDefinitions::WidenedHotKeyId;

constexpr UINT kModifiers = MOD_ALT | MOD_CONTROL;

bool Register(int32_t keyCode) {
    return RegisterHotKey(hWndWinamp, WidenedHotKeyId(), kModifiers, static_cast<UINT>(keyCode)) != FALSE;
}
}

void frmDirhoardEx::StartHotKey() {
    // Once per object: a second start would take a second reference on the atom.
    if (letterLoaded_) return;
    modGlobalDefinitions::HotKeyId = static_cast<int16_t>(GlobalAddAtomA(modGlobalDefinitions::AppTitle));
    CurrentHotKey = Settings::LoadHotKey();
    letterLoaded_ = true;
    // A combination held elsewhere leaves the plugin without a hotkey until the letter changes.
    Register(CurrentHotKey);
}

void frmDirhoardEx::SetHotKey(int32_t keyCode) {
    if (keyCode == CurrentHotKey) return;
    UnregisterHotKey(hWndWinamp, WidenedHotKeyId());
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
    // Only what StartHotKey took. When start-up ended before it, there is no letter to store,
    // and the id is an earlier object's: its atom may by now be another program's.
    if (letterLoaded_) {
        UnregisterHotKey(hWndWinamp, WidenedHotKeyId());
        Settings::StoreHotKey(CurrentHotKey);
        GlobalDeleteAtom(static_cast<ATOM>(modGlobalDefinitions::HotKeyId));
        modGlobalDefinitions::HotKeyId = 0;
    }
    IsQuitting = true;
    if (Window()) SendMessageA(Window(), WM_CLOSE, 0, 0);
    owner_.Reset();
}
