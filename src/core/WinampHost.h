#pragma once
// What the plugin relies on from the player's main window: message numbers and the
// play-file record that carries one path into the playlist.
#include <windows.h>
#include <string>
#include <string_view>

namespace WinampHost {
inline constexpr UINT WM_WA_IPC = WM_USER;           // the player's query/command message
inline constexpr WPARAM IPC_GETWND_QUERY = 1;        // wParam of the window query
inline constexpr LPARAM IPC_GETWND = 260;            // lParam of the window query
inline constexpr ULONG_PTR IPC_PLAYFILE = 100;       // WM_COPYDATA: append an ANSI path
inline constexpr ULONG_PTR IPC_PLAYFILEW = 1100;     // WM_COPYDATA: append a UTF-16 path
inline constexpr WORD ID_PLAY_FOLDER = 40187;        // the player's own "Play Folder" command

// Converts to the ANSI code page; false when the conversion would lose characters.
bool ToAnsi(std::wstring_view path, std::string &out);

// One synchronous send of one play-file record to the player's window; the answer is not used.
void Send(HWND player, const COPYDATASTRUCT &record);
}
