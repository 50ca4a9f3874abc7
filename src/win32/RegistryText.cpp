#include "win32/RegistryText.h"

#include "win32/Handles.h"

namespace RegistryText {
LSTATUS Set(HKEY root, const std::wstring &key, const wchar_t *name, std::wstring_view value) {
    RegKey k;
    const LSTATUS rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.Put(), nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    const std::wstring text(value);
    return RegSetValueExW(k.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
}
