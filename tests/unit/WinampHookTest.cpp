// The hook in front of the player's window procedure, message by message.
#include <gtest/gtest.h>

#include <atomic>

#include "win32/Module.h"
#include "win32/WindowClass.h"

#include "BoxCatcher.h"
#include "MessageSequence.h"
#include "Registry.h"
#include "SecondThread.h"
#include "StandInPlayer.h"
#include "Wait.h"
#include "hook/modWinampWindowProc.h"
#include "core/modGlobalDefinitions.h"

namespace {
using namespace modWinampWindowProc;
using test::CaughtBox;

constexpr WPARAM kPlayFolder = 40187;
constexpr int16_t kAtom = static_cast<int16_t>(0xC123);

class WinampHook : public testing::Test {
protected:
    void SetUp() override {
        modGlobalDefinitions::hWndWinamp = player.Window();
        modGlobalDefinitions::HotKeyId = kAtom;
        player.Clear();
        HookWinampWindow();
    }
    // Sends a message after the hook went in; it must reach the player unchanged, alone.
    testing::AssertionResult ReachesPlayer(UINT message, WPARAM wParam) {
        player.Clear();
        SendMessageW(player.Window(), message, wParam, 0);
        return test::ReceivedSequence(player.Messages(), {{message, wParam, 0}}, kBoxActivation);
    }
    // todo_wine: Wine tells the player WM_ACTIVATEAPP as each box of its own thread comes and
    // goes; Windows keeps that for activation moving between threads.
    const std::vector<UINT> kBoxActivation{WM_ACTIVATEAPP};
    test::StandInPlayer player;
};
}

TEST_F(WinampHook, GoesInFrontOfThePlayerAndKeepsItsPlaylistAnswer) {
    EXPECT_EQ(GetWindowLongPtrW(player.Window(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&WinampWindowProc));
    EXPECT_EQ(PlaylistWndAnswer, test::StandInPlayer::kPlaylistAnswer);
    // Hooking asks the player one thing: its playlist window.
    EXPECT_TRUE(test::ReceivedSequence(player.Messages(), {{WM_USER, 1, 260}}));
}

TEST_F(WinampHook, PassesOtherMessagesOnUnchanged) {
    struct Case {
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {
        {WM_COMMAND, kPlayFolder + 1},
        {WM_SYSCOMMAND, MAKEWPARAM(kPlayFolder, 1)},   // whole wParam compared: no match
        {WM_HOTKEY, 1},                                 // another program's hotkey id
        {WM_HOTKEY, static_cast<uint16_t>(kAtom)},     // the atom without its sign
        {WM_SETTEXT, 0},
        {WM_USER + 7, kPlayFolder},
    };
    test::BoxCatcher boxes;
    for (const auto &c : cases) EXPECT_TRUE(ReachesPlayer(c.message, c.wParam));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(WinampHook, PlayFolderCommandShowsBothNoticesThenReachesThePlayer) {
    test::BoxCatcher boxes;
    // Notification code 1 in the high word: only the command identifier counts.
    EXPECT_TRUE(ReachesPlayer(WM_COMMAND, MAKEWPARAM(kPlayFolder, 1)));
    const std::vector<CaughtBox> expected{{L"Play Folder", true}, {L"19090108", false}};
    EXPECT_EQ(boxes.Boxes(), expected);

    // Commands queued behind it are dispatched by the notices' own loops: they go on to the
    // player without boxes of their own, instead of nesting a set per command.
    player.Clear();
    for (int i = 0; i < 500; ++i) PostMessageW(player.Window(), WM_COMMAND, kPlayFolder, 0);
    SendMessageW(player.Window(), WM_COMMAND, kPlayFolder, 0);
    test::PumpPending();
    // Queued first, dispatched first: the 500 posted inside the sent one's notices.
    EXPECT_TRUE(test::ReceivedSequence(player.Messages(), std::vector<test::Message>(501, {WM_COMMAND, kPlayFolder, 0}),
                                      kBoxActivation));
    EXPECT_EQ(boxes.Boxes().size(), 4u);
}

TEST_F(WinampHook, PlaylistAnswerIsShownAsASignedNumber) {
    PlaylistWndAnswer = -42;
    test::BoxCatcher boxes;
    SendMessageW(player.Window(), WM_COMMAND, kPlayFolder, 0);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, L"-42");
}

TEST_F(WinampHook, PlayFolderAcceleratorShowsItsNoticeThenReachesThePlayer) {
    test::BoxCatcher boxes;
    EXPECT_TRUE(ReachesPlayer(WM_SYSCOMMAND, kPlayFolder));
    const std::vector<CaughtBox> expected{{L"Play Folder (Accelerator)", true}};
    EXPECT_EQ(boxes.Boxes(), expected);
}

TEST_F(WinampHook, OwnHotKeyOpensTheFolderDialogAndIsAnsweredWithZero) {
    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    player.Clear();
    std::atomic<bool> opened{false};
    test::SecondThread user([&] {
        HWND dialog = test::WaitForWindow(L"Dirhoard +");
        if (!(opened = dialog != nullptr)) return;
        HWND finish = nullptr;
        test::PollUntil([&] { return (finish = test::FindChild(dialog, L"Button", L"Finish")) != nullptr; });
        if (finish) test::Click(finish);
    });
    const auto widened = static_cast<WPARAM>(static_cast<LONG_PTR>(kAtom));
    EXPECT_EQ(SendMessageW(player.Window(), WM_HOTKEY, widened, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'G')), 0);
    user.Join();
    EXPECT_TRUE(opened);
    EXPECT_EQ(player.Count(WM_HOTKEY), 0u);
}

TEST_F(WinampHook, SecondHookOnTheSameWindowKeepsOneHook) {
    player.Clear();
    HookWinampWindow();
    EXPECT_NE(PrevWinampProc, &WinampWindowProc);
    EXPECT_TRUE(test::ReceivedSequence(player.Messages(), {}));  // no second window query either
    EXPECT_TRUE(ReachesPlayer(WM_SETTEXT, 0));
}

namespace {
// A player window of its own that notes which procedure it has while being destroyed.
LONG_PTR procAtDestroy = 0;
LONG_PTR ownProc = 0;
int destroys = 0;
LRESULT CALLBACK NotingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ++destroys;
        procAtDestroy = GetWindowLongPtrA(window, GWLP_WNDPROC);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
}

TEST(WinampHookRemoval, PutsThePlayersProcedureBackAndStillDeliversDestroy) {
    WindowClass::Register(L"NotingPlayer", NotingProc, {.ansi = true});
    HWND window = CreateWindowExA(0, "NotingPlayer", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  Module::Instance(), nullptr);
    ASSERT_NE(window, nullptr);
    ownProc = GetWindowLongPtrA(window, GWLP_WNDPROC);
    modGlobalDefinitions::hWndWinamp = window;
    HookWinampWindow();
    ASSERT_TRUE(IsHooked());
    DestroyWindow(window);
    EXPECT_EQ(destroys, 1);
    EXPECT_EQ(procAtDestroy, ownProc);
    EXPECT_FALSE(IsHooked());
}
