#pragma once
// Our procedure in front of a window of someone else's, placed and passed on in the window's
// own character set. Placed with the ANSI functions, a Unicode window turns ANSI: every text
// it is sent then goes through the code page, and a title outside it reads back as "????".
#include <windows.h>

namespace Subclass {
// The window's procedure as it was, and the functions it was taken with.
struct Previous {
    WNDPROC proc = nullptr;
    bool unicode = false;
};

// Puts `ours` in front; false, and nothing changed, when the window refuses.
bool Place(HWND window, WNDPROC ours, Previous &previous);
// Puts the previous procedure back with the functions it was taken with.
void Restore(HWND window, const Previous &previous);
// Hands the message to the previous procedure; with none, to the default one.
LRESULT PassOn(const Previous &previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
}
