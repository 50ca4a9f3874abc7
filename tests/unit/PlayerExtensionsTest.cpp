// The player's own list of what it plays, read from the block it answers with, which may be
// anything a faulty player puts there.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "core/WinampHost.h"

using WinampHost::ExtensionList;

namespace {
// The block ends against an unreadable page, so a read past its end faults.
class GuardedBlock {
public:
    explicit GuardedBlock(const std::string &bytes) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const size_t page = system.dwPageSize, pages = (bytes.size() + page - 1) / page + 1;
        base_ = static_cast<char *>(VirtualAlloc(nullptr, pages * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + (pages - 1) * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + (pages - 1) * page - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
    }
    ~GuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }
    const char *Data() const { return data_; }

private:
    char *base_ = nullptr;
    char *data_ = nullptr;
};

std::string Entries(int first, int count, const char *prefix) {
    std::string block;
    for (int i = first; i < first + count; ++i) block.append(prefix).append(std::to_string(i)).push_back('\0');
    return block;
}

struct Case {
    const char *what;
    std::string block;
    size_t size;                       // entries kept
    std::vector<const char *> listed;  // some of them, in any case
    const char *unlisted = nullptr;
};

std::wstring Wide(const char *text) { return std::wstring(text, text + std::strlen(text)); }
}

TEST(PlayerExtensions, OnlyAWellEndedBlockIsAListAndOnlyItsUsableEntriesCount) {
    using namespace std::string_literals;
    const std::vector<Case> cases = {
        {"the player's list", "MP3\0ogg\0Flac\0\0"s, 3, {"mp3", "OGG", "flac"}},
        {"no empty entry at the end", "MP3\0OGG\0"s, 0, {}, "mp3"},
        {"an entry cut off by the end", "MP3\0OG"s, 0, {}, "mp3"},
        {"nothing at all", ""s, 0, {}},
        {"the end alone", "\0"s, 0, {}},
        {"entries after the end", "\0MP3\0\0"s, 0, {}, "mp3"},
        {"a dot, separators, wildcards, outside printable ASCII",
         "m.p3\0.mp3\0C:\\x\0a/b\0*\0M?3\0caf\xe9\0\x01x\0mp3\0\0"s, 1, {"mp3"}, "p3"},
        {"the same twice", "MP3\0mp3\0\0"s, 1, {"mp3"}},
        {"more than the cap", Entries(0, 5000, "x") + '\0', ExtensionList::kMaxEntries, {"x0", "x4095"}, "x4096"},
    };
    for (const Case &c : cases) {
        const GuardedBlock guarded(c.block);
        const ExtensionList list = ExtensionList::Parse(guarded.Data(), c.block.size());
        EXPECT_EQ(list.Size(), c.size) << c.what;
        for (const char *extension : c.listed) EXPECT_TRUE(list.Contains(Wide(extension))) << c.what;
        if (c.unlisted) {
            EXPECT_FALSE(list.Contains(Wide(c.unlisted))) << c.what;
        }
    }
}

TEST(PlayerExtensions, ExtensionsMatchInAnyCaseAndOnlyWhole) {
    const std::string block("MP3\0OGG\0\0", 9);
    const ExtensionList list = ExtensionList::Parse(block.data(), block.size());
    for (const wchar_t *yes : {L"mp3", L"Mp3", L"OGG"}) EXPECT_TRUE(list.Contains(yes)) << testing::PrintToString(std::wstring(yes));
    for (const wchar_t *no : {L"", L"mp", L"mp3 ", L"mp3x", L"M\u00d03"})
        EXPECT_FALSE(list.Contains(no)) << testing::PrintToString(std::wstring(no));
}
