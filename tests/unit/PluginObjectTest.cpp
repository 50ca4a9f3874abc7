// The plugin object driven directly, as the host would once it has created it.
#include <gtest/gtest.h>

#include "win32/ComPtr.h"
#include "StandInHost.h"
#include "StandInPlayer.h"
#include "core/clsDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

namespace {
class PluginObject : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, plugin.PutVoid()));
    }
    test::StandInPlayer player;
    test::StandInHost host{player.Window()};
    ComPtr<IKobWinAmpGenPlugin> plugin;
};
}

TEST_F(PluginObject, InitializeAnnouncesTheDescriptionAndRecordsThePlayerWindow) {
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    EXPECT_EQ(host.description, L"Dirhoard+ WinAmp Plugin by Vaskell");
    EXPECT_EQ(modGlobalDefinitions::hWndWinamp, player.Window());
}

TEST_F(PluginObject, FailingDescriptionSkipsTheWindowQuery) {
    host.failDescription = E_ACCESSDENIED;
    EXPECT_EQ(plugin->Initialize(&host), E_ACCESSDENIED);
    EXPECT_EQ(host.windowCalls, 0);
    EXPECT_EQ(modGlobalDefinitions::hWndWinamp, nullptr);
}

TEST_F(PluginObject, FailingWindowQueryFailsInitializeAndLeavesNoWindow) {
    host.failWindow = E_FAIL;
    EXPECT_EQ(plugin->Initialize(&host), E_FAIL);
    EXPECT_EQ(host.descriptionCalls, 1);
    EXPECT_EQ(modGlobalDefinitions::hWndWinamp, nullptr);
}

TEST_F(PluginObject, NullWrapperIsRefused) {
    EXPECT_EQ(plugin->Initialize(nullptr), E_POINTER);
}

TEST_F(PluginObject, QueryInterfaceKeepsComIdentityAndSymmetry) {
    ComPtr<IUnknown> a, b;
    ComPtr<IDispatch> dispatch;
    ASSERT_HRESULT_SUCCEEDED(plugin->QueryInterface(IID_IUnknown, a.PutVoid()));
    ASSERT_HRESULT_SUCCEEDED(plugin->QueryInterface(IID__clsDirhoardEx, dispatch.PutVoid()));
    ASSERT_HRESULT_SUCCEEDED(dispatch->QueryInterface(IID_IUnknown, b.PutVoid()));
    EXPECT_EQ(a.Get(), b.Get());

    ComPtr<IKobWinAmpGenPlugin> back;
    EXPECT_HRESULT_SUCCEEDED(dispatch->QueryInterface(IID_IKobWinAmpGenPlugin, back.PutVoid()));
    EXPECT_EQ(back.Get(), plugin.Get());

    ComPtr<IUnknown> none;
    EXPECT_EQ(plugin->QueryInterface(IID_IClassFactory, none.PutVoid()), E_NOINTERFACE);
    EXPECT_FALSE(none);
}

