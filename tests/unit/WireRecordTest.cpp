#include <gtest/gtest.h>

#include "WinampHost.h"

using WinampHost::MakeRecord;

TEST(WireRecord, AnsiPathEndsWithOneZeroByteThatCbDataCounts) {
    auto record = MakeRecord(L"C:\\x.mp3");
    ASSERT_EQ(record.Command(), 100u);
    ASSERT_EQ(record.Bytes(), 9u);
    const auto *bytes = static_cast<const char *>(record.Data()->lpData);
    EXPECT_EQ(std::string(bytes, 8), "C:\\x.mp3");
    EXPECT_EQ(bytes[8], '\0');
}

TEST(WireRecord, MovedRecordStillPointsAtItsOwnBytes) {
    auto first = MakeRecord(L"C:\\a.mp3");
    auto second = std::move(first);
    EXPECT_EQ(std::string(static_cast<const char *>(second.Data()->lpData)), "C:\\a.mp3");
    EXPECT_EQ(second.Data()->cbData, 9u);
}

TEST(WireRecord, PathTheCodePageCannotHoldGoesWideNotMangled) {
    const std::wstring path = L"C:\\\x65E5\x672C.mp3";  // CJK: outside the Western ANSI code page
    std::string ansi;
    ASSERT_FALSE(WinampHost::ToAnsi(path, ansi));
    auto record = MakeRecord(path);
    EXPECT_EQ(record.Command(), 1100u);
    ASSERT_EQ(record.Bytes(), (path.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t *>(record.Data()->lpData)), path);
}
