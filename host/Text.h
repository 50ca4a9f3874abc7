#pragma once
// The host's text: a fixed buffer that it appends to, cut at its end. The host uses no C++
// runtime (no std::wstring, no exceptions): its weight is its own code's.
#include <windows.h>

class Text {
public:
    static constexpr size_t kChars = 2048;

    Text() { text_[0] = L'\0'; }
    explicit Text(const wchar_t *text) : Text() { Add(text); }

    Text &Add(const wchar_t *text, size_t length = static_cast<size_t>(-1)) {
        for (size_t i = 0; i < length && text[i] && size_ + 1 < kChars; ++i) text_[size_++] = text[i];
        text_[size_] = L'\0';
        return *this;
    }
    Text &Add(const Text &text) { return Add(text.Get()); }
    // "0x0000002A"
    Text &Hex(unsigned long value) {
        wchar_t digits[11] = L"0x";
        for (int i = 9; i >= 2; --i, value >>= 4) digits[i] = L"0123456789ABCDEF"[value & 0xF];
        digits[10] = L'\0';
        return Add(digits);
    }
    Text &Decimal(unsigned long value) {
        wchar_t digits[12];
        wchar_t *at = digits + 11;
        *at = L'\0';
        do *--at = static_cast<wchar_t>(L'0' + value % 10); while (value /= 10);
        return Add(at);
    }
    // "error 5: Access denied", as the system words it.
    Text &Error(DWORD error) {
        Add(L"error ").Decimal(error);
        wchar_t words[512] = {};
        DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, words,
                                 512, nullptr);
        while (n > 0 && (words[n - 1] == L'\n' || words[n - 1] == L'\r' || words[n - 1] == L'.' || words[n - 1] == L' '))
            words[--n] = L'\0';
        return n ? Add(L": ").Add(words) : *this;
    }

    const wchar_t *Get() const { return text_; }
    bool Empty() const { return size_ == 0; }

private:
    wchar_t text_[kChars];
    size_t size_ = 0;
};

// The folder of a loaded module, without a trailing backslash, into `folder` (MAX_PATH * 2).
inline void FolderOf(HMODULE module, wchar_t *folder) {
    const DWORD n = GetModuleFileNameW(module, folder, MAX_PATH * 2);
    folder[n < MAX_PATH * 2 ? n : 0] = L'\0';
    wchar_t *slash = nullptr;
    for (wchar_t *c = folder; *c; ++c)
        if (*c == L'\\') slash = c;
    if (slash) *slash = L'\0';
}
