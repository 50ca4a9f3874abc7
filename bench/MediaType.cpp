#include "MediaType.h"

#include <windows.h>
#include <shlobj.h>

namespace bench {
namespace {
void SetDefault(const wchar_t *key, const wchar_t *value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, nullptr, REG_SZ, value,
                    static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}
}

MediaType::MediaType() {
    SetDefault(L"Software\\Classes\\.dhm", L"DirhoardBench.Media");
    SetDefault(L"Software\\Classes\\DirhoardBench.Media", L"Winamp media file");
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

MediaType::~MediaType() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\.dhm");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\DirhoardBench.Media");
}
}
