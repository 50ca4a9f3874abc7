// The registered DLL as the host meets it: the hook outliving the plugin object while the
// player's window lives.
#include <gtest/gtest.h>
#include <atomic>

#include "BoxCatcher.h"
#include "win32/ComPtr.h"
#include "DirhoardEx_h.h"
#include "Registry.h"
#include "SecondThread.h"
#include "Server.h"
#include "StandInHost.h"
#include "StandInPlayer.h"
#include "Wait.h"

namespace {
class HostLifetime : public testing::Test {
protected:
    void SetUp() override {
        test::EnsureRegistered();
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_clsDirhoardEx, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IKobWinAmpGenPlugin, plugin.PutVoid()));
    }
    static bool Loaded() { return GetModuleHandleW(L"DirhoardEx.dll") != nullptr; }

    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::StandInPlayer player;
    test::StandInHost host{player.Window()};
    ComPtr<IKobWinAmpGenPlugin> plugin;
};
}

TEST_F(HostLifetime, UnusedServerIsUnloaded) {
    // The check below has teeth: without a hook the library does go.
    plugin.Reset();
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_FALSE(Loaded());
}

TEST_F(HostLifetime, HookKeepsTheLibraryLoadedAfterQuitAndRelease) {
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    ASSERT_HRESULT_SUCCEEDED(plugin->Quit());
    plugin.Reset();
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(
        GetProcAddress(GetModuleHandleW(L"DirhoardEx.dll"), "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    CoFreeUnusedLibrariesEx(0, 0);
    CoFreeUnusedLibraries();
    ASSERT_TRUE(Loaded());

    // The hook still answers, then leaves with the window.
    player.Clear();
    {
        test::BoxCatcher boxes;
        SendMessageW(player.Window(), WM_COMMAND, 40187, 0);
        EXPECT_EQ(boxes.Boxes().size(), 2u);
    }
    EXPECT_EQ(player.Count(WM_COMMAND), 1u);
    HWND window = player.Window();
    player.Destroy();
    EXPECT_FALSE(IsWindow(window));
}
