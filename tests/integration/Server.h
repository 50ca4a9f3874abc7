#pragma once
// The registered COM server as the host meets it: regsvr32, then creation by ProgID.
#include <windows.h>
#include <string>

namespace test {
std::wstring BesideThisProgram(const wchar_t *file);
// Runs regsvr32 (silently) on the built DLL; returns its exit code, or -1 if it did not end.
DWORD RunRegsvr32(bool unregister);
// Registers the DLL for the whole test program.
void EnsureRegistered();
bool KeyExists(HKEY root, const std::wstring &path);
}
