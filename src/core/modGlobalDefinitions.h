#pragma once
// State every part of the plugin shares. One instance per loaded DLL, used on the
// player's interface thread only.
#include <windows.h>
#include <cstdint>

namespace modGlobalDefinitions {
// Application title: settings key, source of the hotkey atom, title of every message box.
inline constexpr char AppTitle[] = "DirhoardEx";
inline constexpr wchar_t AppTitleW[] = L"DirhoardEx";

extern HWND hWndWinamp;
// A global atom, 0xC000..0xFFFF, so negative as a signed 16-bit value.
extern int16_t HotKeyId;

// The identifier as RegisterHotKey and WM_HOTKEY's wParam carry it.
inline int32_t WidenedHotKeyId() { return static_cast<int32_t>(HotKeyId); }
}
