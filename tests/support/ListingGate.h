#pragma once
// A slow share below the walk: the listing of one folder waits at the gate until the test
// opens it, so that a walk is certainly running while the test acts. Every wait is timed. Made
// shared, as the walks that list through it hold it.
#include <windows.h>
#include <string>
#include <vector>
#include "win32/Handles.h"
#include "folders/Lister.h"

namespace test {
class ListingGate final : public folders::Lister {
public:
    explicit ListingGate(const std::wstring &folder);
    ~ListingGate() override;
    ListingGate(const ListingGate &) = delete;
    ListingGate &operator=(const ListingGate &) = delete;

    HANDLE FindFirst(const wchar_t *pattern, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW &entry,
                     DWORD flags) const override;
    // The walk has come to the folder and waits.
    bool Reached(DWORD timeoutMs) const;
    void Open() const;
    // The thread that came to the gate has ended.
    bool ThreadEnded(DWORD timeoutMs) const;

private:
    const std::wstring gated_;
    KernelHandle reached_, opened_;
    mutable KernelHandle reachedBy_;
};

// The subfolders of `folder` in the order the file system lists them, which the walk keeps.
std::vector<std::wstring> ListedSubfolders(const std::wstring &folder);
}
