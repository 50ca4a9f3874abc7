// How one path becomes a play-file record, and the two forms of a walked path.
#include <gtest/gtest.h>

#include "CodePage.h"
#include "folders/LongPath.h"
#include "folders/RecordBuilder.h"

using folders::LongPath;

TEST(PlayRecord, AUtf16RecordCountsItsTerminatingZero) {
    const std::wstring path = L"C:\\" + test::kOutsideCodePages + L"\\" + test::kOutsideCodePages + L".mp3";
    std::string ansi;
    COPYDATASTRUCT record{};
    EXPECT_FALSE(folders::PointAnsi(record, path, ansi));
    folders::PointWide(record, path);
    EXPECT_EQ(record.dwData, 1100u);
    EXPECT_EQ(record.cbData, (path.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t *>(record.lpData)), path);
}

TEST(PlayRecord, EightCharacterPathCountsNineBytes) {
    std::string ansi;
    COPYDATASTRUCT record{};
    ASSERT_TRUE(folders::PointAnsi(record, L"C:\\x.mp3", ansi));
    EXPECT_EQ(record.cbData, 9u);
    EXPECT_EQ(record.dwData, 100u);
}

TEST(WalkedPath, DriveRootsAndFoldersJoinNamesWithOneBackslash) {
    LongPath path;
    ASSERT_TRUE(path.Assign(L"C:\\"));
    path.Push(L"x.mp3");
    EXPECT_STREQ(path.Extended(), L"\\\\?\\C:\\x.mp3");
    EXPECT_EQ(path.Ordinary(), L"C:\\x.mp3");
    ASSERT_TRUE(path.Assign(L"C:\\Music\\"));
    const size_t mark = path.Push(L"a");
    path.Push(L"b");
    path.Truncate(mark);
    EXPECT_EQ(path.Ordinary(), L"C:\\Music");
}

TEST(WalkedPath, NetworkPathsUseTheUncForm) {
    LongPath path;
    ASSERT_TRUE(path.Assign(L"\\\\server\\share\\Music"));
    path.Push(L"x.mp3");
    EXPECT_STREQ(path.Extended(), L"\\\\?\\UNC\\server\\share\\Music\\x.mp3");
    EXPECT_EQ(path.Ordinary(), L"\\\\server\\share\\Music\\x.mp3");
    EXPECT_STREQ(path.Extended(), L"\\\\?\\UNC\\server\\share\\Music\\x.mp3");
}

TEST(WalkedPath, NothingToWalkInAnEmptyPath) {
    LongPath path;
    EXPECT_FALSE(path.Assign(L""));
}
