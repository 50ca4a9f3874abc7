#include "MediaTypes.h"

#include <windows.h>
#include <string>

namespace MediaTypes {
namespace {
void SetDefault(HKEY root, const std::wstring &path, const wchar_t *value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

// Per-user classes, and the merged view too: Windows writes an HKCR key that exists per user
// back to the per-user one, while Wine's HKCR does not show per-user classes at all.
void SetClass(const std::wstring &key, const wchar_t *value) {
    SetDefault(HKEY_CURRENT_USER, L"Software\\Classes\\" + key, value);
    SetDefault(HKEY_CLASSES_ROOT, key, value);
}
}

void Register() {
    SetClass(kProgId, L"Winamp media file");
    for (const wchar_t *extension : kExtensions) SetClass(extension, kProgId);
}
}
