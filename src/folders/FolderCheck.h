#pragma once
// Whether a stored folder is still there, asked without freezing the player: a folder on a
// network drive whose server is off can take the platform tens of seconds to refuse.
#include <windows.h>
#include <string>

namespace folders {
// The platform's answers the check relies on; tests put a silent server in their place.
struct FolderProbe {
    DWORD(WINAPI *attributes)(LPCWSTR) = GetFileAttributesW;
    UINT(WINAPI *driveType)(LPCWSTR) = GetDriveTypeW;
};

// Whether `path` is a folder. A path on a network drive, a UNC path or a mapped drive letter,
// is checked on a thread of its own, and counts as none when the answer takes longer than
// `timeoutMs`.
bool IsFolderWithin(const std::wstring &path, DWORD timeoutMs, const FolderProbe &probe = {});
}
