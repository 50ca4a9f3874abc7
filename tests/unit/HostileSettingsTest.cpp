// Stored settings someone else wrote: each must still give a working hotkey and a folder
// dialog that opens on a real folder.
#include <gtest/gtest.h>

#include "BoxCatcher.h"
#include "CodePage.h"
#include "FolderDialogUser.h"
#include "Registry.h"
#include "core/Settings.h"
#include "StandInPlayer.h"
#include "TempTree.h"
#include "Wait.h"
#include "config/frmDirhoardEx.h"
#include "folders/modDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

namespace {
void Put(const wchar_t *section, const wchar_t *key, const std::wstring &value) {
    ASSERT_TRUE(Settings::SaveSetting(L"DirhoardEx", section, key, value));
}

bool IsFolder(const std::wstring &path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Hostile : public testing::Test {
protected:
    void SetUp() override { modGlobalDefinitions::hWndWinamp = player.Window(); }
    void TearDown() override {
        UnregisterHotKey(other.Window(), 1);
        modGlobalDefinitions::hWndWinamp = nullptr;
    }
    bool PlayerAnswers() const {
        return SendMessageW(player.Window(), WM_USER, 1, 260) == test::StandInPlayer::kPlaylistAnswer;
    }

    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::StandInPlayer player;
    test::StandInPlayer other;
};

constexpr int32_t kAsStored = -100000;

struct StoredHotKey {
    const char *name;
    std::wstring text;
    int32_t key;
};
void PrintTo(const StoredHotKey &stored, std::ostream *out) { *out << stored.name; }

class HostileHotKey : public Hostile, public testing::WithParamInterface<StoredHotKey> {
protected:
    bool IsFree(int32_t key) { return other.IsFree(key); }
};
}

TEST_P(HostileHotKey, StartRegistersTheStoredKeyAndShutdownStoresIt) {
    Put(L"Config", L"HotKey", GetParam().text);
    // kAsStored: a character that is no letter is used as it stands, whatever key it names,
    // when the code page holds it exactly; otherwise the default letter stands in.
    const std::wstring &text = GetParam().text;
    int32_t key = GetParam().key;
    if (key == kAsStored) key = test::RoundTrips(text.substr(0, 1)) ? Settings::HotKeyFromText(text) : 'G';
    frmDirhoardEx form;
    form.StartHotKey();
    EXPECT_EQ(form.CurrentHotKey, key);
    const bool keyboardKey = key > 0 && key < 0xFF;
    if (keyboardKey) {
        EXPECT_FALSE(IsFree(key));
    }
    EXPECT_TRUE(PlayerAnswers());
    form.Shutdown();
    if (keyboardKey) {
        EXPECT_TRUE(IsFree(key));
    }
    EXPECT_EQ(Settings::LoadHotKey(), key);
    if (key == 'G') {
        EXPECT_EQ(Settings::GetSetting(L"DirhoardEx", L"Config", L"HotKey", L""), L"G");
    }
}

// A lower-case code would be a key of the number pad (k is 107, the keypad's +).
INSTANTIATE_TEST_SUITE_P(Stored, HostileHotKey,
                         testing::Values(StoredHotKey{"Empty", L"", 'G'}, StoredHotKey{"LowerCase", L"k", 'K'},
                                         StoredHotKey{"Digit", L"7", '7'},
                                         StoredHotKey{"MultiByte", L"\u97f3", kAsStored},
                                         StoredHotKey{"Accented", L"\u00e9", kAsStored},
                                         StoredHotKey{"Cyrillic", L"\u0416", kAsStored},
                                         StoredHotKey{"HalfWidthKatakana", L"\uff71", kAsStored},
                                         StoredHotKey{"Surrogates", L"\U0001F3B5", kAsStored},
                                         StoredHotKey{"TenThousand", std::wstring(10000, L'Q'), 'Q'}),
                         [](const auto &info) { return std::string(info.param.name); });

namespace {
struct StoredRecurse {
    const char *name;
    const wchar_t *text;
    bool ticked;
};
void PrintTo(const StoredRecurse &stored, std::ostream *out) { *out << stored.name; }

class HostileRecurse : public Hostile, public testing::WithParamInterface<StoredRecurse> {};

class HostilePath : public Hostile {
protected:
    // Opens the dialog on `stored`, presses "Add Dir" without recursion and then "Finish".
    void Visit(const std::wstring &stored) {
        Put(L"SHBFFDialog", L"Path", stored);
        Put(L"SHBFFDialog", L"Recurse", L"False");
        test::BoxCatcher boxes;
        const test::DialogRun run = test::WhileDialogOpen([] { modDirhoardEx::ShowFolderBrowser(); }, [&](HWND dialog) {
            // Once the stored folder's check has answered, "Add Dir" adds a folder.
            test::PollUntil([&] {
                adding = std::wstring(modDirhoardEx::PathIn(modDirhoardEx::SelectedPath));
                return test::FindChild(dialog, L"Button", L"Add Dir") && IsFolder(adding);
            });
            test::PressAddDir(dialog);
            if (HWND finish = test::FindChild(dialog, L"Button", L"Finish")) test::Click(finish);
        });
        EXPECT_TRUE(run.found);
        EXPECT_TRUE(run.closed);
        // A folder that does not exist would have been reported as unreadable.
        EXPECT_TRUE(boxes.Boxes().empty()) << testing::PrintToString(boxes.Boxes());
        EXPECT_TRUE(IsFolder(adding)) << testing::PrintToString(adding);
        for (const auto &path : player.Paths())
            EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << testing::PrintToString(path);
        EXPECT_TRUE(IsFolder(Settings::LoadPath())) << testing::PrintToString(Settings::LoadPath());
        EXPECT_TRUE(PlayerAnswers());
    }
    std::wstring adding;
    test::TempTree tree;
};
}

TEST_P(HostileRecurse, TheDialogTicksTheBoxAsTheTextSaysAndStoresAWord) {
    Put(L"SHBFFDialog", L"Recurse", GetParam().text);
    bool ticked = !GetParam().ticked;
    const test::DialogRun run = test::WhileDialogOpen([] { modDirhoardEx::ShowFolderBrowser(); }, [&](HWND dialog) {
        HWND check = nullptr;
        test::PollUntil([&] { return (check = test::FindChild(dialog, L"Button", L"Recurse subdirectories")); });
        ticked = check && SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (HWND finish = test::FindChild(dialog, L"Button", L"Finish")) test::Click(finish);
    });
    EXPECT_TRUE(run.found);
    EXPECT_TRUE(run.closed);
    EXPECT_EQ(ticked, GetParam().ticked);
    EXPECT_EQ(Settings::GetSetting(L"DirhoardEx", L"SHBFFDialog", L"Recurse", L""),
              GetParam().ticked ? L"True" : L"False");
}

INSTANTIATE_TEST_SUITE_P(Stored, HostileRecurse,
                         testing::Values(StoredRecurse{"Maybe", L"maybe", true}, StoredRecurse{"MinusOne", L"-1", true},
                                         StoredRecurse{"Zero", L"0", false}, StoredRecurse{"Empty", L"", true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(HostilePath, TenThousandCharactersOpenOnARealFolder) {
    Visit(L"C:\\" + std::wstring(9997, L'p'));
}

TEST_F(HostilePath, AFileOpensOnARealFolder) {
    Visit(tree.File(L"song.dhm"));
}

TEST_F(HostilePath, AMissingDriveOpensOnARealFolder) {
    const DWORD drives = GetLogicalDrives();
    wchar_t letter = L'Q';
    while (letter < L'Z' && (drives & (1u << (letter - L'A')))) ++letter;
    ASSERT_FALSE(drives & (1u << (letter - L'A')));
    Visit(std::wstring(1, letter) + L":\\Music");
}

