#pragma once
// How a walk lists a folder: the platform's way, or what a test puts in its place (a slow
// share). An object with its own state: a walk holds it for as long as its worker may list.
#include <windows.h>
#include <memory>

namespace folders {
class Lister {
public:
    virtual ~Lister() = default;
    // As FindFirstFileExW with a name match: a find handle for FindNextFileW, or
    // INVALID_HANDLE_VALUE with the error set.
    virtual HANDLE FindFirst(const wchar_t *pattern, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW &entry,
                             DWORD flags) const;
    // The platform's, shared by every walk.
    static std::shared_ptr<const Lister> Platform();
};
}
