// The two forms of a walked path: for the file system, and for the player and the user.
#include <gtest/gtest.h>

#include "folders/LongPath.h"

using folders::LongPath;

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
    // Both forms at once: neither spoils the other.
    const std::wstring_view ordinary = path.Ordinary();
    const wchar_t *extended = path.Extended();
    EXPECT_EQ(ordinary, L"\\\\server\\share\\Music\\x.mp3");
    EXPECT_STREQ(extended, L"\\\\?\\UNC\\server\\share\\Music\\x.mp3");
}

TEST(WalkedPath, NothingToWalkInAnEmptyPath) {
    LongPath path;
    EXPECT_FALSE(path.Assign(L""));
}
