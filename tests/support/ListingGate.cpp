#include "ListingGate.h"

#include <utility>
#include <vector>
#include "Wait.h"

namespace test {
ListingGate::ListingGate(const std::wstring &folder)
    : gated_(L"\\\\?\\" + folder + L"\\*"), reached_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      opened_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

// Only once no walk holds it: nothing waits at it any more.
ListingGate::~ListingGate() = default;

bool ListingGate::Reached(DWORD timeoutMs) const {
    return WaitForSingleObject(reached_.Get(), timeoutMs) == WAIT_OBJECT_0;
}
void ListingGate::Open() const { SetEvent(opened_.Get()); }

bool ListingGate::ThreadEnded(DWORD timeoutMs) const {
    return reachedBy_ && WaitForSingleObject(reachedBy_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

HANDLE ListingGate::FindFirst(const wchar_t *pattern, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW &entry,
                              DWORD flags) const {
    if (CompareStringOrdinal(pattern, -1, gated_.c_str(), -1, TRUE) == CSTR_EQUAL) {
        HANDLE self = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, SYNCHRONIZE, FALSE, 0);
        reachedBy_.Reset(self);
        SetEvent(reached_.Get());
        WaitForSingleObject(opened_.Get(), kTimeoutMs);
    }
    return Lister::FindFirst(pattern, level, entry, flags);
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
