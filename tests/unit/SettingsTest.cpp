// The remembered values in the real per-user registry of the test prefix.
#include <gtest/gtest.h>

#include "Registry.h"
#include "core/Settings.h"

namespace {
class SettingsStore : public testing::Test {
protected:
    void Put(const wchar_t *section, const wchar_t *key, const std::wstring &raw) {
        const std::wstring path = std::wstring(test::kSettingsKey) + L"\\" + section;
        RegistryText::Set(HKEY_CURRENT_USER, path, key, raw);
    }
    test::RegistryCleaner clean{HKEY_CURRENT_USER, test::kSettingsKey};
};
}

TEST_F(SettingsStore, FirstRunGivesTheDefaults) {
    EXPECT_EQ(Settings::LoadHotKey(), 'G');
    EXPECT_EQ(Settings::LoadPath(), L"C:\\");
    EXPECT_TRUE(Settings::LoadRecurse());
}

TEST_F(SettingsStore, ValuesRoundTripWhereOtherToolsOfThePlatformLookForThem) {
    Settings::StoreHotKey('K');
    Settings::StorePath(L"D:\\Music\\Jazz");
    Settings::StoreRecurse(false);
    EXPECT_EQ(Settings::LoadHotKey(), 'K');
    EXPECT_EQ(Settings::LoadPath(), L"D:\\Music\\Jazz");
    EXPECT_FALSE(Settings::LoadRecurse());
    EXPECT_EQ(Settings::GetSetting(L"DirhoardEx", L"SHBFFDialog", L"Recurse", L"?"), L"False");
    EXPECT_EQ(Settings::GetSetting(L"DirhoardEx", L"Config", L"HotKey", L"?"), L"K");
}

TEST_F(SettingsStore, PathAcceptsBareTextAndAWholePaddedBuffer) {
    std::wstring buffer = L"E:\\Songs";
    buffer.push_back(L'\0');
    buffer.append(260 - buffer.size(), L' ');
    Put(L"SHBFFDialog", L"Path", buffer);
    EXPECT_EQ(Settings::LoadPath(), L"E:\\Songs");
    Settings::StorePath(buffer);
    EXPECT_EQ(Settings::GetSetting(L"DirhoardEx", L"SHBFFDialog", L"Path", L""), L"E:\\Songs");
}

TEST_F(SettingsStore, BadStoredValuesFallBackToTheDefault) {
    Put(L"Config", L"HotKey", L"");
    EXPECT_EQ(Settings::LoadHotKey(), 'G');
    for (const wchar_t *bad : {L"maybe", L"", L"1x", L"Tru"}) {
        Put(L"SHBFFDialog", L"Recurse", bad);
        EXPECT_TRUE(Settings::LoadRecurse()) << "Recurse=" << testing::PrintToString(std::wstring(bad));
    }
}

TEST(RecurseText, BooleanWordsInAnyCaseAndNumbers) {
    EXPECT_TRUE(Settings::RecurseFromText(L"tRuE"));
    EXPECT_FALSE(Settings::RecurseFromText(L"FALSE"));
    EXPECT_TRUE(Settings::RecurseFromText(L"-1"));
    EXPECT_FALSE(Settings::RecurseFromText(L"0"));
    EXPECT_FALSE(Settings::RecurseFromText(L" 0.0 "));
    EXPECT_TRUE(Settings::RecurseFromText(L"2.5"));
}

TEST(HotKeyText, FirstCharacterCountsAndNonLettersPassUnchanged) {
    EXPECT_EQ(Settings::HotKeyFromText(L"KX"), 'K');
    EXPECT_EQ(Settings::HotKeyFromText(L"k"), 'k');
    EXPECT_EQ(Settings::HotKeyFromText(L"7"), '7');
    EXPECT_EQ(Settings::TextFromHotKey('Q'), L"Q");
}
