#pragma once
// The stay-open folder browser and the walk behind its "Add Dir" button, with the state they
// share. Used on the player's interface thread only.
//
// From the hotkey to the playlist:
//   hook      WinampWindowProc, WM_HOTKEY -> ShowFolderBrowser  (folders/Folders.h, FolderBrowser.cpp)
//   dialog    BrowseCallback / BrowseDialogProc -> FolderBrowser, the dialog's object, which
//             queues the presses; "Add Dir" -> AddFolderToPlaylist (modDirhoardEx.cpp)
//   walk      StartWalk: a worker lists with FolderWalker, the records
//             go through WalkChannel                      (BackgroundWalk.cpp, FolderWalker.cpp, WalkChannel.cpp)
//   records   RecordBuilder builds each one on the worker (RecordBuilder.cpp)
//   player    this thread sends each one in the walk's turns (UiTurns): WinampHost::Send, WM_COPYDATA
// What the design does not name lives in the namespace folders, and what includes what runs one
// way: this header, then BackgroundWalk.h, WalkChannel.h, FolderWalker.h, and below it the rest.
#include <windows.h>
#include <string>
#include <string_view>
#include <memory>
#include "folders/FolderCheck.h"
#include "folders/Folders.h"
#include "folders/Lister.h"

namespace folders {
class WalkObserver;  // folders/BackgroundWalk.h
struct WalkStart;    // folders/BackgroundWalk.h
// A press is being answered by the player, or its walk runs.
bool IsAdding();
}

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

// ShowFolderBrowser() of folders/Folders.h, its walks listing with `lister`, the stored folder
// checked through `probe`.
void ShowFolderBrowser(std::shared_ptr<const folders::Lister> lister, const folders::FolderProbe &probe = {});
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);
LRESULT CALLBACK BrowseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Starts sending the media files of `folder` (and of its subfolders when `recurse`, the box as it
// was at the press) to the player and returns at once; `observer` hears how it goes. Nothing
// starts while another press is answered or walks (Busy), when the walk was stopped while the
// player answered what it plays (Stopped), or when the platform refused the walk a window or a
// thread (Refused). A warning about folders that could not be read is owned by `owner`.
folders::WalkStart AddFolderToPlaylist(std::wstring_view folder, bool recurse, folders::WalkObserver &observer,
                                       HWND owner = nullptr,
                                       std::shared_ptr<const folders::Lister> lister = folders::Lister::Platform());

// The text of a 260-character path buffer: what comes before the first NUL.
std::wstring_view PathIn(const wchar_t (&buffer)[kPathChars + 1]);
}
