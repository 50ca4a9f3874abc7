#include "ListingGate.h"

#include <utility>
#include <vector>
#include "Wait.h"

namespace test {
namespace {
std::wstring gated;
HANDLE reached = nullptr, opened = nullptr;
DWORD reachedBy = 0;
}

ListingGate::ListingGate(std::wstring folder) {
    gated = L"\\\\?\\" + folder + L"\\*";
    reached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

ListingGate::~ListingGate() {
    // A listing still held is let go; one that reaches the gate later finds the handles gone
    // and does not wait.
    Open();
    CloseHandle(std::exchange(reached, nullptr));
    CloseHandle(std::exchange(opened, nullptr));
}

bool ListingGate::Reached(DWORD timeoutMs) { return WaitForSingleObject(reached, timeoutMs) == WAIT_OBJECT_0; }
void ListingGate::Open() { SetEvent(opened); }
DWORD ListingGate::Thread() const { return reachedBy; }

HANDLE WINAPI ListingGate::Gated(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS search,
                                   LPVOID filter, DWORD flags) {
    if (CompareStringOrdinal(pattern, -1, gated.c_str(), -1, TRUE) == CSTR_EQUAL) {
        reachedBy = GetCurrentThreadId();
        SetEvent(reached);
        WaitForSingleObject(opened, kTimeoutMs);
    }
    return FindFirstFileExW(pattern, level, data, search, filter, flags);
}

std::vector<std::wstring> ListedSubfolders(const std::wstring &folder) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        const std::wstring name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            found.push_back(folder + L"\\" + name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}
}
