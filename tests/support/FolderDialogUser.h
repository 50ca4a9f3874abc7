#pragma once
// A user at the keyboard and mouse: Ctrl+Alt+letter, a click on a folder in the tree, then
// "Add Dir" and "Finish" in the folder dialog. Runs on a second thread while the plugin's
// thread pumps its messages.
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>

namespace test {
struct DialogVisit {
    bool opened = false;    // the "Dirhoard +" dialog appeared
    bool selected = false;  // the folder was selected in the tree
    bool added = false;     // "Add Dir" was found and pressed
    bool closed = false;    // "Finish" ended the dialog
};

// Selects `folder` (a full path) in the dialog's tree as a click does: every level from the
// drive down is expanded, then the folder's own item is selected, and the dialog reports
// the selection change. Returns the item, confirmed as the tree's selection, or null. An
// empty path selects the computer, which has no file-system path.
HTREEITEM SelectFolder(HWND dialog, const std::wstring &folder);

// Presses "Add Dir" as a click does and waits until the walks are over, as the line under the
// tree says. False when the button was not there to press or the walk did not end.
bool PressAddDir(HWND dialog);
// Whether the line under the tree says the walks are over: "Added ..." or "Stopped: ...".
bool WalksOver(HWND dialog);
// Waits until it does.
bool WaitForTheEnd(HWND dialog);

// Presses the hotkey, then selects `folder`, presses "Add Dir" and "Finish".
DialogVisit VisitByHotKey(WORD letter, const std::wstring &folder);
// The same once something else has opened the dialog.
DialogVisit AddAndFinish(const std::wstring &folder);
// The same from a second thread while this thread pumps its messages, as the player does.
DialogVisit VisitByHotKeyWhilePumping(WORD letter, const std::wstring &folder);

// The line that shows a walk's progress, once one has started.
std::wstring ProgressText(HWND dialog);

// The folder tree of the dialog, and the text of its selected item.
HWND FolderTree(HWND dialog);
std::wstring SelectedInTree(HWND dialog);

// Lists `folder` and each folder above it once, after their last change. Wine's tree keeps
// each folder's last-access time in the item it lists; a listing that changes that time
// afterwards makes the dialog's own selection of a stored path stop short. Tests of that
// start-up step settle their tree first.
void SettleAccessTimes(const std::wstring &folder);

struct DialogRun {
    bool found = false;   // the "Dirhoard +" dialog appeared
    bool closed = false;  // and was gone again afterwards
};
// Runs `open` on this thread (it shows the folder dialog and returns when that closes) while
// `drive` acts on the dialog from a second thread; whatever `drive` did, the dialog is then
// ended, so the test thread comes back.
DialogRun WhileDialogOpen(const std::function<void()> &open, const std::function<void(HWND)> &drive);
}
