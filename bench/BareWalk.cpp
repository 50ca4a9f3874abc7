#include "Walks.h"

namespace bench {
namespace {
long Count(std::wstring &path) {
    const size_t base = path.size();
    path += L"\\*";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    path.resize(base);
    if (find == INVALID_HANDLE_VALUE) return 0;
    long files = 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (data.cFileName[0] == L'.' && (!data.cFileName[1] || (data.cFileName[1] == L'.' && !data.cFileName[2])))
                continue;
            path += L'\\';
            path += data.cFileName;
            files += Count(path);
            path.resize(base);
        } else {
            ++files;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}
}

long BareWalk(const std::wstring &root) {
    std::wstring path = root;
    return Count(path);
}
}
