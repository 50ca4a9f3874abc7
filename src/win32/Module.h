#pragma once
// The DLL's own lifetime: its instance handle, live objects and server locks, and the
// pin that keeps it loaded while code of ours sits in another window's procedure chain.
#include <windows.h>
#include <string>

namespace Module {
HINSTANCE Instance();
void SetInstance(HINSTANCE instance);
void AddRef();   // a live object or a server lock
void Release();
bool CanUnload();
// Once pinned, the DLL stays loaded until the process ends.
void Pin();
// The full path of a loaded module (null: the program), as at most MAX_PATH characters hold
// it; empty when it does not fit or the module is unknown.
std::wstring FileOf(HMODULE module);
// The folder of that path, without a trailing backslash.
std::wstring FolderOf(HMODULE module);
}
