#include "MediaType.h"

#include <windows.h>
#include <shlobj.h>
#include <initializer_list>

namespace bench {
namespace {
// Per user where Windows reads it; Wine's shell reads only the machine's classes.
void SetDefault(const wchar_t *key, const wchar_t *value) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        RegSetKeyValueW(root, key, nullptr, REG_SZ, value, static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

void Remove(const wchar_t *key) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteTreeW(root, key);
}
}

MediaType::MediaType() {
    SetDefault(L"Software\\Classes\\.dhm", L"DirhoardBench.Media");
    SetDefault(L"Software\\Classes\\DirhoardBench.Media", L"Winamp media file");
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

MediaType::~MediaType() {
    Remove(L"Software\\Classes\\.dhm");
    Remove(L"Software\\Classes\\DirhoardBench.Media");
}
}
