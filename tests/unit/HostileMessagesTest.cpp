// Messages arriving at awkward moments: while a modal window or box runs its own loop, and after
// Quit.
#include <gtest/gtest.h>
#include <atomic>
#include <cwchar>

#include "BoxCatcher.h"
#include "win32/ComPtr.h"
#include "FolderDialogUser.h"
#include "Registry.h"
#include "SecondThread.h"
#include "StandInHost.h"
#include "StandInPlayer.h"
#include "TempTree.h"
#include "Wait.h"
#include "core/clsDirhoardEx.h"
#include "folders/modDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

namespace {
constexpr wchar_t kConfigTitle[] = L"Dirhoard + Configuration";
constexpr wchar_t kDialogTitle[] = L"Dirhoard +";
constexpr WPARAM kPlayFolder = 40187;

class HostileMessages : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, plugin.PutVoid()));
        ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
        ourId = static_cast<WPARAM>(static_cast<LONG_PTR>(modGlobalDefinitions::HotKeyId));
    }
    void HotKey() const { PostMessageW(player.Window(), WM_HOTKEY, ourId, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'G')); }
    bool PlayerAnswers() const {
        return SendMessageW(player.Window(), WM_USER, 1, 260) == test::StandInPlayer::kPlaylistAnswer;
    }
    // Waits for the folder dialog and ends it with "Finish"; true when it opened and closed.
    static bool FinishDialog(DWORD timeoutMs = test::kTimeoutMs) {
        HWND dialog = test::WaitForWindow(kDialogTitle, timeoutMs);
        HWND finish = nullptr;
        test::PollUntil([&] { return dialog && (finish = test::FindChild(dialog, L"Button", L"Finish")); });
        if (!finish) return false;
        test::Click(finish);
        return test::PollUntil([&] { return !IsWindow(dialog); });
    }

    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::StandInPlayer player;
    test::StandInHost host{player.Window()};
    ComPtr<IKobWinAmpGenPlugin> plugin;
    WPARAM ourId = 0;
};
}

TEST_F(HostileMessages, HotKeyWhileTheConfigurationWindowIsModalOpensTheDialogInsideIt) {
    std::atomic<bool> dialog{false}, answered{false};
    test::SecondThread user([&] {
        HWND window = test::WaitForWindow(kConfigTitle);
        if (!window) return;
        HotKey();
        dialog = FinishDialog();
        answered = PlayerAnswers();
        test::Click(test::FindChild(window, L"Button", L"Close"));
    });
    EXPECT_HRESULT_SUCCEEDED(plugin->Configure());
    user.Join();
    EXPECT_TRUE(dialog);
    EXPECT_TRUE(answered);
    EXPECT_EQ(player.Count(WM_HOTKEY), 0u);
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
}

TEST_F(HostileMessages, HotKeyWhileAMessageBoxIsOpenOpensTheDialogAndTheBoxesStillEnd) {
    std::atomic<bool> dialog{false};
    test::SecondThread user([&] {
        HWND box = test::WaitForMessageBox(L"DirhoardEx", L"Play Folder");
        if (!box) return;
        HotKey();
        dialog = FinishDialog();
        test::DismissBox(box);
        // By its text: the first box may not be gone yet.
        const std::wstring answer = std::to_wstring(test::StandInPlayer::kPlaylistAnswer);
        if (HWND second = test::WaitForMessageBox(L"DirhoardEx", answer.c_str())) test::DismissBox(second);
    });
    SendMessageW(player.Window(), WM_COMMAND, kPlayFolder, 0);
    user.Join();
    EXPECT_TRUE(dialog);
    EXPECT_EQ(player.Count(WM_COMMAND), 1u);
    EXPECT_EQ(player.Count(WM_HOTKEY), 0u);
    EXPECT_TRUE(PlayerAnswers());
}

TEST_F(HostileMessages, HotKeyAfterQuitOpensNothingAndGoesToThePlayer) {
    ASSERT_HRESULT_SUCCEEDED(plugin->Quit());
    std::atomic<bool> opened{false};
    test::SecondThread watcher([&] { opened = FinishDialog(2000); });
    player.Clear();
    SendMessageW(player.Window(), WM_HOTKEY, ourId, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'G'));
    watcher.Join();
    EXPECT_FALSE(opened);
    EXPECT_EQ(player.Count(WM_HOTKEY), 1u);
    EXPECT_TRUE(PlayerAnswers());
}

TEST_F(HostileMessages, PlayFolderCommandWhileTheDialogIsOpenShowsItsNoticesAndTheDialogGoesOn) {
    test::BoxCatcher boxes;
    std::atomic<bool> stillOpen{false};
    const test::DialogRun run = test::WhileDialogOpen([&] { SendMessageW(player.Window(), WM_HOTKEY, ourId, 0); },
                                                      [&](HWND dialog) {
        PostMessageW(player.Window(), WM_COMMAND, kPlayFolder, 0);
        test::PollUntil([&] { return boxes.Boxes().size() >= 2; });
        stillOpen = IsWindowVisible(dialog) != FALSE;
        if (HWND finish = test::FindChild(dialog, L"Button", L"Finish")) test::Click(finish);
    });
    EXPECT_TRUE(run.found);
    EXPECT_TRUE(run.closed);
    EXPECT_TRUE(stillOpen);
    const std::vector<test::CaughtBox> expected{
        {L"Play Folder", true}, {std::to_wstring(test::StandInPlayer::kPlaylistAnswer), false}};
    EXPECT_EQ(boxes.Boxes(), expected);
    EXPECT_EQ(player.Count(WM_COMMAND), 1u);
    EXPECT_TRUE(PlayerAnswers());
}
