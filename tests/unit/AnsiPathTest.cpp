#include <gtest/gtest.h>

#include "CodePage.h"
#include "core/WinampHost.h"

// What a code page cannot hold exactly is no ANSI path: it goes as UTF-16. UTF-8 holds every
// character, but not an unpaired surrogate, which NTFS allows in a name.
TEST(AnsiPath, ReportsALossInsteadOfSubstituting) {
    struct Case {
        const char *what;
        std::wstring path;
        UINT codePage;
    };
    const Case cases[] = {
        {"a letter outside this code page", L"C:\\" + test::kOutsideCodePages + L".mp3", GetACP()},
        {"an unpaired surrogate, in UTF-8", std::wstring(L"C:\\a") + wchar_t(0xD800) + L".mp3", CP_UTF8},
    };
    for (const Case &c : cases) {
        // A UTF-8 code page holds every letter.
        if (c.codePage == CP_UTF8 && c.path.find(wchar_t(0xD800)) == std::wstring::npos) continue;
        std::string ansi;
        EXPECT_FALSE(WinampHost::ToCodePage(c.path, ansi, c.codePage)) << c.what;
    }
}
