// Initialize, Configure and Quit with the hook, the hotkey and the configuration window
// behind them, up to the folder dialog opened from the keyboard.
#include <gtest/gtest.h>
#include <atomic>

#include "ComPtr.h"
#include "FolderDialogUser.h"
#include "MediaFolder.h"
#include "Registry.h"
#include "SecondThread.h"
#include "Settings.h"
#include "StandInHost.h"
#include "StandInPlayer.h"
#include "Wait.h"
#include "clsDirhoardEx.h"
#include "hook/modWinampWindowProc.h"

namespace {
constexpr wchar_t kConfigTitle[] = L"Dirhoard + Configuration";

class PluginLifecycle : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, plugin.PutVoid()));
    }
    void TearDown() override { UnregisterHotKey(other.Window(), 1); }
    bool IsFree(char letter) {
        if (!RegisterHotKey(other.Window(), 1, MOD_ALT | MOD_CONTROL, letter)) return false;
        UnregisterHotKey(other.Window(), 1);
        return true;
    }
    std::wstring StoredLetter() const { return Settings::GetSetting(L"DirhoardEx", L"Config", L"HotKey", L"(none)"); }

    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::StandInPlayer player;
    test::StandInPlayer other;
    test::StandInHost host{player.Window()};
    ComPtr<IKobWinAmpGenPlugin> plugin;
};
}

TEST_F(PluginLifecycle, InitializeHooksThePlayerAndRegistersCtrlAltG) {
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    EXPECT_TRUE(modWinampWindowProc::IsHooked());
    EXPECT_EQ(modWinampWindowProc::PlaylistWndAnswer, test::StandInPlayer::kPlaylistAnswer);
    EXPECT_FALSE(IsFree('G'));
    EXPECT_EQ(test::WaitForWindow(kConfigTitle, 0), nullptr);  // made, not shown
}

TEST_F(PluginLifecycle, ConfigureBlocksUntilHiddenWhileThePlayerKeepsAnswering) {
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    player.Clear();
    std::atomic<LRESULT> answer{0};
    test::SecondThread user([&] {
        HWND window = test::WaitForWindow(kConfigTitle);
        if (!window) return;
        answer = SendMessageW(player.Window(), WM_USER, 1, 260);
        PostMessageW(player.Window(), WM_APP, 0, 0);
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // after WM_APP: the same queue
    });
    EXPECT_HRESULT_SUCCEEDED(plugin->Configure());
    user.Join();
    EXPECT_EQ(answer, test::StandInPlayer::kPlaylistAnswer);
    EXPECT_EQ(player.Count(WM_APP), 1u);
    EXPECT_EQ(test::WaitForWindow(kConfigTitle, 0), nullptr);
}

TEST_F(PluginLifecycle, ConfigureChangesTheLetterAndQuitStoresItAndFreesTheCombination) {
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    test::SecondThread user([&] {
        HWND window = test::WaitForWindow(kConfigTitle);
        if (!window) return;
        HWND box = test::FindChild(window, L"Edit");
        SendMessageW(box, EM_SETSEL, 0, 1);
        SendMessageW(box, WM_CHAR, 'k', 0);  // a typed k, through the box's filter
        test::Click(test::FindChild(window, L"Button", L"Set HotKey"));
        test::Click(test::FindChild(window, L"Button", L"Close"));
    });
    EXPECT_HRESULT_SUCCEEDED(plugin->Configure());
    user.Join();
    EXPECT_FALSE(IsFree('K'));
    EXPECT_TRUE(IsFree('G'));
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
    EXPECT_TRUE(IsFree('K'));
    EXPECT_EQ(StoredLetter(), L"K");
}

TEST_F(PluginLifecycle, QuitWithoutConfigureStoresTheLoadedLetter) {
    Settings::StoreHotKey('K');
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    EXPECT_FALSE(IsFree('K'));
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
    EXPECT_TRUE(IsFree('K'));
    EXPECT_EQ(StoredLetter(), L"K");
}

TEST_F(PluginLifecycle, QuitAfterAFailedInitializeLeavesTheStoredLetter) {
    Settings::StoreHotKey('K');
    host.failWindow = E_FAIL;
    EXPECT_EQ(plugin->Initialize(&host), E_FAIL);
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
    EXPECT_EQ(StoredLetter(), L"K");
    EXPECT_FALSE(modWinampWindowProc::IsHooked());
}

TEST_F(PluginLifecycle, ConfigureBeforeInitializeMakesTheWindowOnDemand) {
    test::SecondThread user([&] {
        if (HWND window = test::WaitForWindow(kConfigTitle))
            test::Click(test::FindChild(window, L"Button", L"Close"));
    });
    EXPECT_HRESULT_SUCCEEDED(plugin->Configure());
    user.Join();
}

TEST_F(PluginLifecycle, CtrlAltGOpensTheFolderDialogAndAddDirSendsTheFiles) {
    test::MediaFolder media({L"one.dhmp", L"two.dhmp", L"notes.txt"});
    Settings::StorePath(media.Path());
    Settings::StoreRecurse(false);
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));

    const test::DialogVisit visit = test::VisitByHotKeyWhilePumping('G', media.Path());
    EXPECT_TRUE(visit.opened);
    EXPECT_TRUE(visit.selected);
    EXPECT_TRUE(visit.added);
    EXPECT_TRUE(visit.closed);
    EXPECT_EQ(player.Count(WM_HOTKEY), 0u);  // taken by the hook
    std::vector<std::wstring> paths = player.Paths();
    std::sort(paths.begin(), paths.end());
    const std::vector<std::wstring> expected{media.PathOf(L"one.dhmp"), media.PathOf(L"two.dhmp")};
    EXPECT_EQ(paths, expected);
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
}
