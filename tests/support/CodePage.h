#pragma once
// Names chosen by the ANSI code page the test runs under (1252, 1251 or 932).
#include <windows.h>
#include <string>

namespace test {
// A letter beyond ASCII that the active code page holds, and how many bytes it takes there.
struct CodePageLetter {
    std::wstring text;
    size_t bytes;
};
inline CodePageLetter LetterInCodePage() {
    switch (GetACP()) {
    case 1251: return {L"\u0416", 1};  // Ж
    case 932: return {L"\u30a2", 2};   // ア
    default: return {L"\u00e9", 1};    // é
    }
}
// Thai: in none of the code pages the tests run under.
inline const std::wstring kOutsideCodePages = L"\u0e01\u0e02";

// Whether `text` converts to the code page and back unchanged.
inline bool RoundTrips(const std::wstring &text) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, &lossy);
    return n > 0 && !lossy;
}
}
