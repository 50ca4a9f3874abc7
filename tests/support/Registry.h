#pragma once
// Tests that touch the registry clean the keys they use before and after.
#include <windows.h>
#include <string>
#include "win32/RegistryText.h"

namespace test {
class RegistryCleaner {
public:
    RegistryCleaner(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) { Clean(); }
    ~RegistryCleaner() { Clean(); }
    void Clean() const { RegDeleteTreeW(root_, path_.c_str()); }

private:
    HKEY root_;
    std::wstring path_;
};

inline constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\DirhoardEx";

// A text value (the key's default value when `name` is null); empty when there is none.
inline std::wstring ReadText(HKEY root, const std::wstring &key, const wchar_t *name = nullptr) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"";
    return value;
}

// One of the plugin's settings, as the plugin stores it.
inline void SetSetting(const wchar_t *section, const wchar_t *key, const std::wstring &value) {
    const std::wstring path = std::wstring(kSettingsKey) + L"\\" + section;
    RegistryText::Set(HKEY_CURRENT_USER, path, key, value);
}
inline std::wstring ReadSetting(const wchar_t *section, const wchar_t *key) {
    return ReadText(HKEY_CURRENT_USER, std::wstring(kSettingsKey) + L"\\" + section, key);
}
}
