#pragma once
// What other programs (the demo driver, tests) may rely on in the stand-in player.
#include <windows.h>

namespace Player {
inline constexpr wchar_t kClass[] = L"Winamp v1.x";
// The caption until a file is added; then the file's title and kCaptionEnd.
inline constexpr wchar_t kTitle[] = L"Winamp 5.92";
inline constexpr wchar_t kCaptionEnd[] = L" - Winamp";
// The window "Uninstall" opens, and the caption of the player's own question.
inline constexpr wchar_t kPreferencesTitle[] = L"Winamp Preferences";
inline constexpr wchar_t kQuestionTitle[] = L"Winamp";
inline constexpr UINT kExit = 1;
// "Configure" of the n-th loaded plugin is command kConfigureFirst + n.
inline constexpr UINT kConfigureFirst = 1000;
// "Uninstall" of the n-th loaded plugin: kUninstallFirst + n.
inline constexpr UINT kUninstallFirst = 2000;
// Beside Winamp.exe: the plugins to delete before the next start loads any (see Removal.h).
inline constexpr wchar_t kRemovalList[] = L"Plugins to remove.txt";
// Added by a restart: the process the new one waits for before it deletes anything.
inline constexpr wchar_t kAfterOption[] = L"--after";
// Exit codes besides 0: the window could not be made, the playlist not written, and a
// play-file record without its terminating zero within cbData was refused.
inline constexpr int kExitNoWindow = 1;
inline constexpr int kExitPlaylistNotWritten = 2;
inline constexpr int kExitRefusedRecords = 3;
}
