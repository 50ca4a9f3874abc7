#pragma once
// The window classes of this module: each registered once, at its first use, and all given
// back when the module is unloaded. A class that outlived its DLL would call code that is gone.
#include <windows.h>

namespace WindowClass {
struct Options {
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    // An ANSI class: its windows get text in the ANSI code page (the name must be ASCII).
    bool ansi = false;
};

// The class `name` of this module with the procedure `proc`; false when it cannot be had.
bool Register(const wchar_t *name, WNDPROC proc, const Options &options = {});
// A message-only window of that class; `param` reaches its WM_NCCREATE. Null on failure.
HWND MessageOnly(const wchar_t *name, WNDPROC proc, void *param = nullptr);
// At the module's unload: every class registered here goes.
void UnregisterAll();
}
