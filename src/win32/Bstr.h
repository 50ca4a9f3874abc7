#pragma once
// Owning BSTR.
#include <oleauto.h>
#include <string_view>
#include <utility>

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view s) : s_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    ~Bstr() { SysFreeString(s_); }
    BSTR Get() const { return s_; }

private:
    BSTR s_ = nullptr;
};
