// The turns' yield rule, step by step as a loop on the thread meets it: what of the host's own
// waits when a turn ends decides whether the next is posted at once or waits for it.
#include <gtest/gtest.h>

#include <functional>
#include "SecondThread.h"
#include "Wait.h"
#include "win32/Module.h"
#include "win32/UiTurns.h"
#include "win32/WindowClass.h"

namespace {
struct Counting final : UiTurns::Work {
    int turns = 0, quits = 0;
    bool more = true;
    std::function<void()> during;  // inside a turn
    bool Turn(double) override {
        ++turns;
        if (during) during();
        return more;
    }
    void Tick() override {}
    void Quit() override { ++quits; }
};

bool Posted(HWND window) {
    MSG msg;
    return PeekMessageW(&msg, window, UiTurns::kWake, UiTurns::kWake, PM_NOREMOVE | PM_NOYIELD) &&
           msg.message == UiTurns::kWake;
}

bool Waits(UINT kind) {
    return test::PollUntil([&] { return (HIWORD(GetQueueStatus(kind)) & kind) != 0; });
}
}

TEST(UiTurns, WhatWaitsWhenATurnEndsDecidesWhetherTheNextIsPostedOrWaitsForIt) {
    WindowClass::Register(L"DirhoardExTestTurnsHost", DefWindowProcW);
    HWND host = CreateWindowExW(0, L"DirhoardExTestTurnsHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                                nullptr, Module::Instance(), nullptr);
    ASSERT_NE(host, nullptr);
    struct Case {
        const char *waits;
        std::function<bool()> queue;  // false: the platform queued nothing
        bool posted;                  // the next turn follows at once
    };
    const Case cases[] = {
        {"nothing", [] { return true; }, true},
        {"a paint", [&] { return InvalidateRect(host, nullptr, FALSE) && Waits(QS_PAINT); }, false},
        {"a timer", [&] { return SetTimer(host, 1, USER_TIMER_MINIMUM, nullptr) && Waits(QS_TIMER); }, false},
        {"input", [&] {
             SetForegroundWindow(host);
             SetFocus(host);
             test::PressChord({VK_SHIFT});
             return Waits(QS_KEY);
         }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.waits);
        Counting work;
        UiTurns turns(work);
        ASSERT_TRUE(turns.Open(60000));
        test::PumpPending();
        ASSERT_TRUE(c.queue());
        // One turn, as whichever loop runs dispatches it.
        SendMessageW(turns.Window(), UiTurns::kWake, 0, 0);
        EXPECT_EQ(work.turns, 1);
        EXPECT_EQ(Posted(turns.Window()), c.posted);
        EXPECT_EQ(turns.Yielding(), !c.posted);
        // A modal loop takes what waited, and shows it to the filter: the next turn follows it.
        MSG taken{};
        for (MSG msg; PeekMessageW(&msg, host, 0, 0, PM_REMOVE);) {
            taken = msg;
            if (msg.message == WM_PAINT) ValidateRect(host, nullptr);
        }
        KillTimer(host, 1);
        if (!c.posted) CallMsgFilterW(&taken, MSGF_DIALOGBOX);
        EXPECT_TRUE(Posted(turns.Window()));
        EXPECT_FALSE(turns.Yielding());
        work.more = false;
        test::PumpPending();
    }
    DestroyWindow(host);
}

TEST(UiTurns, NoTurnAfterTheHostsQuitAndNoneInsideAnother) {
    Counting work;
    UiTurns turns(work);
    ASSERT_TRUE(turns.Open(60000));
    // A turn its own work dispatches (a box it shows, say) comes after it, not inside.
    int inside = -1;
    work.more = false;
    work.during = [&] {
        if (work.turns > 1) return;
        SendMessageW(turns.Window(), UiTurns::kWake, 0, 0);
        inside = work.turns;
    };
    SendMessageW(turns.Window(), UiTurns::kWake, 0, 0);
    EXPECT_EQ(inside, 1);
    EXPECT_TRUE(Posted(turns.Window()));
    test::PumpPending();
    EXPECT_EQ(work.turns, 2);
    // Once the host's loop is told to end, its quit goes first: the work is told instead.
    work.more = true;
    PostQuitMessage(0);
    SendMessageW(turns.Window(), UiTurns::kWake, 0, 0);
    EXPECT_EQ(work.turns, 2);
    EXPECT_EQ(work.quits, 1);
    EXPECT_FALSE(Posted(turns.Window()));
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// A wake that never came (a post refused with the thread's queue full, a refused timer) stalls
// nothing: the next tick runs the turn.
TEST(UiTurns, AWakeThatNeverCameIsPickedUpAtTheNextTick) {
    Counting work;
    work.more = false;
    UiTurns turns(work);
    ASSERT_TRUE(turns.Open(USER_TIMER_MINIMUM));
    EXPECT_TRUE(test::PumpUntil([&] { return work.turns > 0; }));
}
