#pragma once
// The procedure placed in front of the player's main-window procedure: the hotkey opens
// the folder browser, the player's "Play Folder" command is observed, all else passes on.
#include <windows.h>
#include <cstdint>

namespace modWinampWindowProc {
// The player's own procedure, saved when the hook goes in; null while not hooked.
extern WNDPROC PrevWinampProc;
// The player's answer to the playlist-window query, kept for display only.
extern int32_t PlaylistWndAnswer;

// Hooks hWndWinamp once. While one hook is in place a second call leaves it alone: hooking
// the same window twice would make the hook pass every message to itself. False when the
// window is not hooked: gone, another thread's, or already hooked another window.
bool HookWinampWindow();
bool IsHooked();

LRESULT CALLBACK WinampWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
}
