#pragma once
// A message-only window of the calling thread, whose procedure the test gives: where a test
// stands in for a window of the player's or the host's.
#include <windows.h>
#include "win32/WindowClass.h"

namespace test {
inline HWND MessageWindow(const wchar_t *className, WNDPROC proc) { return WindowClass::MessageOnly(className, proc); }
}
