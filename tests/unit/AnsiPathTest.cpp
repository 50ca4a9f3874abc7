#include <gtest/gtest.h>

#include "CodePage.h"
#include "core/WinampHost.h"

TEST(AnsiPath, ConvertsExactlyWhatTheCodePageHolds) {
    std::string ansi;
    ASSERT_TRUE(WinampHost::ToAnsi(L"C:\\x.mp3", ansi));
    EXPECT_EQ(ansi, "C:\\x.mp3");
    EXPECT_TRUE(WinampHost::ToAnsi(L"", ansi));
    EXPECT_TRUE(ansi.empty());
}

TEST(AnsiPath, ReportsALossInsteadOfSubstituting) {
    if (GetACP() == CP_UTF8) GTEST_SKIP() << "every name converts in a UTF-8 code page";
    std::string ansi;
    EXPECT_FALSE(WinampHost::ToAnsi(L"C:\\" + test::kOutsideCodePages + L".mp3", ansi));
}
