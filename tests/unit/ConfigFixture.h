#pragma once
// The configuration window object on a stand-in player, with a clean settings store and
// a second window that can hold hotkey combinations the way another program would.
#include <gtest/gtest.h>
#include <memory>

#include "Registry.h"
#include "core/Settings.h"
#include "StandInPlayer.h"
#include "config/ControlLayout.h"
#include "config/frmDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

namespace test {
class ConfigFixture : public testing::Test {
protected:
    void SetUp() override {
        modGlobalDefinitions::hWndWinamp = player.Window();
        form = std::make_unique<frmDirhoardEx>();
        form->Build();
    }
    void TearDown() override {
        for (int id = 1; id <= 3; ++id) UnregisterHotKey(other.Window(), id);
    }
    HWND Box() const { return form->Control(ControlLayout::txtHotKey); }
    // Ids 1 and 2 hold keys elsewhere; the probe takes 3.
    bool IsFree(char letter) { return other.IsFree(letter, 3); }
    // Another program holds Ctrl+Alt+letter.
    void HoldElsewhere(char letter) { ASSERT_TRUE(RegisterHotKey(other.Window(), 1, MOD_ALT | MOD_CONTROL, letter)); }
    std::wstring StoredLetter() const { return Settings::GetSetting(L"DirhoardEx", L"Config", L"HotKey", L"(none)"); }

    RegistryCleaner settings{HKEY_CURRENT_USER, kSettingsKey};
    StandInPlayer player;
    StandInPlayer other;
    std::unique_ptr<frmDirhoardEx> form;
};
}
