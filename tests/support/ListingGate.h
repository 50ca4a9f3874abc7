#pragma once
// A slow share below the walk: the listing of one folder waits at the gate until the test
// opens it, so that a walk is certainly running while the test acts. Every wait is timed.
#include <windows.h>
#include <string>
#include <vector>
#include "folders/Listing.h"

namespace test {
class ListingGate {
public:
    explicit ListingGate(std::wstring folder);
    ~ListingGate();
    ListingGate(const ListingGate &) = delete;
    ListingGate &operator=(const ListingGate &) = delete;

    // What the walk lists with: the gated folder waits at the gate, the rest as usual.
    static modDirhoardEx::FindFirstFunction Listing() { return Gated; }
    // The walk has come to the folder and waits.
    bool Reached(DWORD timeoutMs);
    void Open();
    // The thread that came to the gate.
    DWORD Thread() const;

private:
    static HANDLE WINAPI Gated(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS search,
                               LPVOID filter, DWORD flags);
};

// The subfolders of `folder` in the order the file system lists them, which the walk keeps.
std::vector<std::wstring> ListedSubfolders(const std::wstring &folder);
}
