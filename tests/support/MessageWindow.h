#pragma once
// A message-only window of the calling thread, whose procedure the test gives: where a test
// stands in for a window of the player's or the host's.
#include <windows.h>

namespace test {
inline HWND MessageWindow(const wchar_t *className, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // a second registration fails harmlessly
    return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}
}
