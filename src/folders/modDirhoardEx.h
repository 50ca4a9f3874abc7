#pragma once
// The stay-open folder browser and the walker behind its "Add Dir" button, with the state
// they share. Used on the player's interface thread only.
//
// From the hotkey to the playlist:
//   hook      WinampWindowProc, WM_HOTKEY      -> ShowFolderBrowser          (BrowseDialog.cpp)
//   dialog    BrowseCallback / BrowseDialogProc, "Add Dir" -> AddFolderToPlaylist (modDirhoardEx.cpp)
//   walk      RunWalk: a worker lists with FolderWalker   (BackgroundWalk.cpp, FolderWalker.cpp)
//   sender    PlaySender prepares each record on the worker (PlaySender.cpp)
//   player    this thread sends each one: WinampHost::Send, WM_COPYDATA (WinampHost.cpp)
#include <windows.h>
#include <string>
#include <string_view>
#include "folders/BackgroundWalk.h"

namespace modDirhoardEx {
inline constexpr size_t kPathChars = 260;

// The dialog's own window procedure while it is open; also the launch guard.
extern WNDPROC PrevDialogProc;
extern HWND hWndRecurseCheck;
// 260 characters and a NUL after them; the path is the text before the first NUL.
extern wchar_t SelectedPath[kPathChars + 1];
extern wchar_t PathScratch[kPathChars + 1];
extern bool RecurseSubfolders;
// The record each file goes to the player in.
extern COPYDATASTRUCT PlayFileRecord;
// "Add Dir" was disabled for a selection without a file-system path.
extern bool AddDirDisabled;

// Opens the folder browser and returns when it closes; at once when one is already open.
void ShowFolderBrowser();
// Ends an open folder browser as "Finish" does; its settings are written as it closes.
void CloseFolderBrowser();
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);
LRESULT CALLBACK BrowseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Sends the media files of `folder` (and of its subfolders when RecurseSubfolders is set)
// to the player, dispatching this thread's messages meanwhile, and returns when they are all
// sent or the walk was stopped. Afterwards one warning box, owned by `watch.dialog`, names
// folders that could not be read. Ignored while a walk runs.
void AddFolderToPlaylist(std::wstring_view folder, const WalkWatch &watch = {});

// Whether `path` is a folder. A network path is checked on a thread of its own, and counts
// as none when the answer takes longer than `timeoutMs`.
bool IsFolderWithin(const std::wstring &path, DWORD timeoutMs, DWORD (WINAPI *attributes)(LPCWSTR) = GetFileAttributesW);

// The text of a 260-character path buffer: what comes before the first NUL.
std::wstring_view PathIn(const wchar_t (&buffer)[kPathChars + 1]);
}
