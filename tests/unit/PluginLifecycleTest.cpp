// Initialize, Configure and Quit with the hook, the hotkey and the configuration window
// behind them, up to the folder dialog opened from the keyboard.
#include <gtest/gtest.h>
#include <atomic>

#include "win32/ComPtr.h"
#include "win32/Module.h"
#include "win32/WindowClass.h"
#include "FreedMemory.h"
#include "FolderDialogUser.h"
#include "MessageWindow.h"
#include "MediaFolder.h"
#include "Registry.h"
#include "SecondThread.h"
#include "core/Settings.h"
#include "StandInHost.h"
#include "StandInPlayer.h"
#include "Wait.h"
#include "WalkWatcher.h"
#include "CodePage.h"
#include "core/clsDirhoardEx.h"
#include "hook/modWinampWindowProc.h"
#include "core/modGlobalDefinitions.h"
#include "folders/modDirhoardEx.h"

namespace {
constexpr wchar_t kConfigTitle[] = L"Dirhoard + Configuration";

class PluginLifecycle : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, plugin.PutVoid()));
    }
    void TearDown() override { UnregisterHotKey(other.Window(), 1); }
    bool IsFree(char letter) { return other.IsFree(letter); }
    std::wstring StoredLetter() const { return Settings::GetSetting(L"DirhoardEx", L"Config", L"HotKey", L"(none)"); }

    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::StandInPlayer player;
    test::StandInPlayer other;
    test::StandInHost host{player.Window()};
    ComPtr<IKobWinAmpGenPlugin> plugin;
};
}

// The hotkey works from Initialize on; the configuration window, which most users never open,
// is made only when it is asked for.
TEST_F(PluginLifecycle, InitializeHooksThePlayerAndRegistersCtrlAltGTheConfigurationWindowMadeWhenAskedFor) {
    test::MediaFolder media({L"one.dhmp"});
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    EXPECT_TRUE(modWinampWindowProc::IsHooked());
    EXPECT_EQ(modWinampWindowProc::PlaylistWndAnswer, test::StandInPlayer::kPlaylistAnswer);
    EXPECT_FALSE(IsFree('G'));
    const auto made = [] { return FindWindowW(L"DirhoardExConfiguration", nullptr) != nullptr; };
    EXPECT_FALSE(made());
    EXPECT_TRUE(test::VisitByHotKeyWhilePumping('G', media.Path()).added);
    EXPECT_FALSE(made()) << "made for the browser";
    test::SecondThread user([&] {
        if (HWND window = test::WaitForWindow(kConfigTitle)) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_HRESULT_SUCCEEDED(plugin->Configure());
    user.Join();
    EXPECT_TRUE(made());
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

TEST_F(PluginLifecycle, QuitAfterAFailedInitializeLeavesTheStoredLetter) {
    Settings::StoreHotKey('K');
    host.failWindow = E_FAIL;
    EXPECT_EQ(plugin->Initialize(&host), E_FAIL);
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
    EXPECT_EQ(StoredLetter(), L"K");
    EXPECT_FALSE(modWinampWindowProc::IsHooked());
}

// Without the player's window a new letter registers nothing, so nothing is left behind.
TEST_F(PluginLifecycle, ConfigureBeforeInitializeMakesTheWindowOnDemandAndRegistersNothing) {
    test::SecondThread user([&] {
        HWND window = test::WaitForWindow(kConfigTitle);
        if (!window) return;
        HWND box = test::FindChild(window, L"Edit");
        SendMessageW(box, EM_SETSEL, 0, 1);
        SendMessageW(box, WM_CHAR, 'k', 0);
        test::Click(test::FindChild(window, L"Button", L"Set HotKey"));
        test::Click(test::FindChild(window, L"Button", L"Close"));
    });
    EXPECT_HRESULT_SUCCEEDED(plugin->Configure());
    user.Join();
    EXPECT_TRUE(IsFree('K'));
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
    plugin.Reset();
    EXPECT_TRUE(IsFree('K'));
    EXPECT_TRUE(IsFree('G'));
}

// A window that is gone, or that another thread owns, cannot be hooked: Initialize fails,
// and a later object on the real player window hooks it and has its hotkey.
TEST_F(PluginLifecycle, InitializeOnAWindowItCannotHookFailsAndLeavesTheNextObjectFree) {
    HWND gone = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    std::atomic<HWND> foreign{nullptr};
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    test::SecondThread owner([&] {
        foreign = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        WaitForSingleObject(done, test::kTimeoutMs);
        DestroyWindow(foreign);
    });
    ASSERT_TRUE(test::PollUntil([&] { return foreign != nullptr; }));
    for (HWND window : {gone, foreign.load()}) {
        test::StandInHost badHost{window};
        ComPtr<IKobWinAmpGenPlugin> bad;
        ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, bad.PutVoid()));
        EXPECT_HRESULT_FAILED(bad->Initialize(&badHost));
        EXPECT_FALSE(modWinampWindowProc::IsHooked());
        EXPECT_HRESULT_SUCCEEDED(bad->Quit());
    }
    SetEvent(done);
    owner.Join();
    CloseHandle(done);
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    EXPECT_TRUE(modWinampWindowProc::IsHooked());
    EXPECT_FALSE(IsFree('G'));
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
}

// Each object gives back only what it took: the one still running keeps the hotkey, and the
// last one leaves neither the combination nor a reference on the atom.
TEST_F(PluginLifecycle, TwoObjectsOnOneWindowEachReleaseOnlyTheirOwn) {
    // Wine's atom table outlives each test process: start from no reference at all.
    for (int i = 0; i < 1000 && GlobalFindAtomA("DirhoardEx"); ++i) GlobalDeleteAtom(GlobalFindAtomA("DirhoardEx"));
    ASSERT_EQ(GlobalFindAtomA("DirhoardEx"), 0);
    ComPtr<IKobWinAmpGenPlugin> second;
    ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, second.PutVoid()));
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    ASSERT_HRESULT_SUCCEEDED(second->Initialize(&host));
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
    plugin.Reset();
    EXPECT_FALSE(IsFree('G'));
    EXPECT_NE(GlobalFindAtomA("DirhoardEx"), 0);
    EXPECT_NE(modGlobalDefinitions::HotKeyId, 0);
    EXPECT_HRESULT_SUCCEEDED(second->Quit());
    second.Reset();
    EXPECT_TRUE(IsFree('G'));
    EXPECT_EQ(GlobalFindAtomA("DirhoardEx"), 0);
}

namespace {
// Does what the host does when the player closes: Quit, then the last release.
IKobWinAmpGenPlugin *closing = nullptr;
LRESULT CALLBACK ClosingHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP && closing) {
        closing->Quit();
        std::exchange(closing, nullptr)->Release();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A window of the host's, on this thread: WM_APP to it closes the plugin object as the host does.
HWND MakeClosingHost() { return test::MessageWindow(L"DirhoardExTestClosingHost", ClosingHostProc); }
}

// The configuration window's loop dispatches the player's close: the object is freed only
// once the loop is over, and nothing writes into freed memory.
TEST_F(PluginLifecycle, ThePlayerClosingDuringConfigureFreesTheObjectOnlyAfterItsLoop) {
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    HWND hostWindow = MakeClosingHost();
    // From here on the handler holds the only reference, as the host does.
    IKobWinAmpGenPlugin *raw = closing = plugin.Get();
    closing->AddRef();
    plugin.Reset();
    test::SecondThread user([&] {
        if (test::WaitForWindow(kConfigTitle)) PostMessageW(hostWindow, WM_APP, 0, 0);
    });
    {
        test::FreedMemoryWatch freed;
        EXPECT_HRESULT_SUCCEEDED(raw->Configure());
        EXPECT_EQ(closing, nullptr);
        EXPECT_GT(freed.Freed(), 0u);
        EXPECT_EQ(freed.WrittenAfterFree(), 0u);
    }
    user.Join();
    DestroyWindow(hostWindow);
    EXPECT_EQ(test::WaitForWindow(kConfigTitle, 0), nullptr);
    EXPECT_TRUE(IsFree('G'));
}

namespace {
// The player's window as its own class makes it, Unicode or ANSI; it takes every record.
LRESULT CALLBACK CaptionedPlayerW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_COPYDATA ? TRUE : DefWindowProcW(window, message, wParam, lParam);
}
LRESULT CALLBACK CaptionedPlayerA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_COPYDATA ? TRUE : DefWindowProcA(window, message, wParam, lParam);
}

HWND CaptionedPlayer(bool unicode) {
    if (unicode) {
        WindowClass::Register(L"DirhoardExTestPlayerW", CaptionedPlayerW);
        return CreateWindowExW(0, L"DirhoardExTestPlayerW", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                               nullptr, Module::Instance(), nullptr);
    }
    WindowClass::Register(L"DirhoardExTestPlayerA", CaptionedPlayerA, {.ansi = true});
    return CreateWindowExA(0, "DirhoardExTestPlayerA", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           Module::Instance(), nullptr);
}

// Sets the caption in the window's own character set and reads it back the same way.
bool CaptionReadsBack(HWND window, bool unicode) {
    if (unicode) {
        const std::wstring title = L"07 \u0422\u0440\u0435\u043a \u2014 \u65e5\u672c\u8a9e\u306e\u66f2";
        wchar_t back[64] = {};
        return SetWindowTextW(window, title.c_str()) && GetWindowTextW(window, back, 64) && back == title;
    }
    char letter[4] = {};
    const std::wstring wide = test::LetterInCodePage().text;
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, letter, sizeof letter, nullptr, nullptr);
    const std::string title = std::string("07 Track ") + letter;
    char back[64] = {};
    return SetWindowTextA(window, title.c_str()) && GetWindowTextA(window, back, 64) && back == title;
}
}

// The player shows the playing title in its caption, in any script: hooked, its window keeps
// its character set, so what is set reads back exactly.
TEST_F(PluginLifecycle, ThePlayersCaptionReadsBackExactlyInTheWindowsOwnCharacterSet) {
    test::MediaFolder media({L"a.dhmp"});
    for (const bool unicode : {true, false}) {
        SCOPED_TRACE(unicode ? "a Unicode player" : "an ANSI player");
        HWND window = CaptionedPlayer(unicode);
        ASSERT_NE(window, nullptr);
        test::StandInHost ownHost{window};
        ComPtr<IKobWinAmpGenPlugin> object;
        ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, object.PutVoid()));
        EXPECT_TRUE(CaptionReadsBack(window, unicode)) << "before Initialize";
        ASSERT_HRESULT_SUCCEEDED(object->Initialize(&ownHost));
        const LONG_PTR proc = unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC);
        EXPECT_EQ(proc, reinterpret_cast<LONG_PTR>(&modWinampWindowProc::WinampWindowProc));
        EXPECT_EQ(IsWindowUnicode(window) != FALSE, unicode);
        EXPECT_TRUE(CaptionReadsBack(window, unicode)) << "after Initialize";
        test::WalkWatcher watch;
        ASSERT_TRUE(modDirhoardEx::AddFolderToPlaylist(media.Path(), modDirhoardEx::RecurseSubfolders, watch));
        ASSERT_TRUE(watch.WaitForEnd());
        EXPECT_EQ(watch.outcome->sent, 1u);
        EXPECT_TRUE(CaptionReadsBack(window, unicode)) << "after Add Dir";
        EXPECT_HRESULT_SUCCEEDED(object->Quit());
        EXPECT_TRUE(CaptionReadsBack(window, unicode)) << "after Quit";
        DestroyWindow(window);
        EXPECT_FALSE(modWinampWindowProc::IsHooked());
    }
}
