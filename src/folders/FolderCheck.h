#pragma once
// Where a stored folder is now, asked off the player's thread: a sleeping disk or an optical
// drive takes seconds to answer, a network folder whose server is off tens of seconds.
#include <windows.h>
#include <memory>
#include <optional>
#include <string>
#include "win32/Lock.h"

namespace folders {
// The platform's answer the check relies on; tests put a slow disk in its place.
struct FolderProbe {
    DWORD(WINAPI *attributes)(LPCWSTR) = GetFileAttributesW;
};

// `path` where it is a folder, else its nearest parent that is one, the root included; empty
// where none is.
std::wstring NearestFolder(std::wstring path, const FolderProbe &probe = {});

// One check, on a thread of its own that holds what it uses until it ends.
class FolderCheck {
public:
    // Starts finding the nearest folder of `path`; `window` is posted `message` once it is
    // found. Null when no thread could start.
    static std::shared_ptr<FolderCheck> Start(std::wstring path, HWND window, UINT message,
                                              const FolderProbe &probe = {});
    // The folder found, once `message` was posted; nothing before.
    std::optional<std::wstring> Answer() const;

private:
    mutable Lock lock_;
    bool done_ = false;
    std::wstring answer_;
};
}
