#pragma once
// Tests that touch the registry clean the keys they use before and after.
#include <windows.h>
#include <string>

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
}
