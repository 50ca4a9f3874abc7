#pragma once
// A user at the keyboard: Ctrl+Alt+letter, then "Add Dir" and "Finish" in the folder dialog.
// Runs on a second thread while the plugin's thread pumps its messages.
#include <windows.h>
#include <functional>
#include <string>

namespace test {
struct DialogVisit {
    bool opened = false;  // the "Dirhoard +" dialog appeared
    bool added = false;   // "Add Dir" was found and pressed
    bool closed = false;  // "Finish" ended the dialog
};

// `folder` is the name of the folder the dialog opens at: "Add Dir" is pressed once the
// tree shows it selected.
DialogVisit VisitByHotKey(WORD letter, const std::wstring &folder);
// The same once something else has opened the dialog. "Add Dir" is pressed after
// `selectionMs` even when the tree has not got to `folder` by then.
DialogVisit AddAndFinish(const std::wstring &folder, DWORD selectionMs = 10000);
// The same from a second thread while this thread pumps its messages, as the player does.
DialogVisit VisitByHotKeyWhilePumping(WORD letter, const std::wstring &folder);

// The text of the folder tree's selected item.
std::wstring SelectedInTree(HWND dialog);

struct DialogRun {
    bool found = false;   // the "Dirhoard +" dialog appeared
    bool closed = false;  // and was gone again afterwards
};
// Runs `open` on this thread (it shows the folder dialog and returns when that closes) while
// `drive` acts on the dialog from a second thread; whatever `drive` did, the dialog is then
// ended, so the test thread comes back.
DialogRun WhileDialogOpen(const std::function<void()> &open, const std::function<void(HWND)> &drive);
}
