#include "MediaFolder.h"

namespace test {
namespace {
void SetDefault(const wchar_t *key, const wchar_t *value) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, value,
                    static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}
}

MediaFolder::MediaFolder(const std::vector<std::wstring> &files) : files_(files) {
    SetDefault(L".dhmp", L"DirhoardTest.Media");
    SetDefault(L"DirhoardTest.Media", L"Winamp media file");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"dirhoard-media-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
    for (const auto &file : files_) {
        HANDLE h = CreateFileW(PathOf(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
}

MediaFolder::~MediaFolder() {
    for (const auto &file : files_) DeleteFileW(PathOf(file).c_str());
    RemoveDirectoryW(path_.c_str());
}
}
