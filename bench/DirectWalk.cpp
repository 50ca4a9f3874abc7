#include "Walks.h"

#include <shellapi.h>
#include <vector>
#include "WinampHost.h"

namespace bench {
namespace {
bool IsDots(const wchar_t *name) {
    return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2]));
}

// Subfolders first, then the folder's own files, asking the shell for every file's type.
long Walk(const std::wstring &folder, HWND player) {
    std::vector<std::wstring> subfolders, files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + L"\\" + data.cFileName);
        else if (!IsDots(data.cFileName)) subfolders.push_back(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);

    long sent = 0;
    for (const auto &sub : subfolders) sent += Walk(sub, player);
    for (const auto &file : files) {
        SHFILEINFOW info{};
        SHGetFileInfoW(file.c_str(), 0, &info, sizeof info, SHGFI_TYPENAME);
        if (wcscmp(info.szTypeName, L"Winamp media file") != 0) continue;
        WinampHost::Send(player, WinampHost::MakeRecord(file));
        ++sent;
    }
    return sent;
}
}

long DirectWalk(const std::wstring &root, HWND player) { return Walk(root, player); }
}
