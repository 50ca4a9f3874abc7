#pragma once
// The host's words for what went wrong: error numbers as the user may look them up, and the
// one box every failure is shown in.
#include <windows.h>
#include <cstdio>
#include <string>
#include "core/modGlobalDefinitions.h"

inline std::wstring Hex(unsigned long value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", value);
    return text;
}

// "error 5: Access denied", as the system words it.
inline std::wstring ErrorText(DWORD error) {
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring words = text ? text : L"";
    LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.' ||
                              words.back() == L' '))
        words.pop_back();
    return L"error " + std::to_wstring(error) + (words.empty() ? L"" : L": " + words);
}

inline void ShowError(HWND owner, const std::wstring &text) {
    MessageBoxW(owner, text.c_str(), modGlobalDefinitions::AppTitleW, MB_OK | MB_ICONERROR);
}
