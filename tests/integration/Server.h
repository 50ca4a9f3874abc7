#pragma once
// The registered COM server as the host meets it: regsvr32, then creation by ProgID.
#include <windows.h>
#include <string>
#include <vector>

namespace test {
std::wstring BesideThisProgram(const wchar_t *file);
// Runs regsvr32 (silently) on the built DLL, or on the copy `dll`; returns its exit code, or
// -1 if it did not end.
DWORD RunRegsvr32(bool unregister, const std::wstring &dll = BesideThisProgram(L"DirhoardEx.dll"));
// The file the registered class names (InprocServer32), empty when it is not registered.
std::wstring RegisteredFile();
// Copies a built file (one beside this program) into `folder`, under `as` if given; returns the copy.
std::wstring CopyBuilt(const wchar_t *file, const std::wstring &folder, const wchar_t *as = nullptr);
// Registers the DLL for the whole test program.
void EnsureRegistered();
bool KeyExists(HKEY root, const std::wstring &path);
bool FileExists(const std::wstring &path);

// The files the system deletes when it next starts (MoveFileEx's delayed deletions), as paths.
std::vector<std::wstring> DeletedAtReboot();
// Drops the delayed deletions of files below `folder`: tests leave the prefix as they found it.
void ForgetDeletionsAtReboot(const std::wstring &folder);
}
