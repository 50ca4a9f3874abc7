// "Add Dir" in the background: the walk's turns in whichever loop runs on the player's thread,
// the worker's queue, and what comes at awkward moments: a second object, a second press, a
// plugin in front of the player. Every way a walk stops: StopPathsTest.
#include "BrowserFixture.h"

#include <algorithm>
#include <atomic>
#include "MessageWindow.h"
#include "SecondThread.h"
#include "WalkWatcher.h"
#include "win32/ComPtr.h"
#include "win32/Module.h"
#include "win32/WindowClass.h"
#include "core/clsDirhoardEx.h"
#include "folders/BackgroundWalk.h"
#include "folders/WalkChannel.h"

using folders::WalkChannel;

namespace {
class BackgroundWalkTest : public WalkingBrowser {
protected:
    static bool Ended(HWND dialog) { return test::ProgressText(dialog).starts_with(L"Added "); }
    // The walk's own end, as the line under the tree tells it.
    static bool WaitForTheEnd(HWND dialog) { return test::PollUntil([&] { return Ended(dialog); }); }
    // Gone, its module given back, and what it had queued dispatched, were it still sending.
    static bool WorkerEnded() { return test::PumpUntil([] { return Module::CanUnload(); }); }
};
}

// The worker runs at most the queue's length ahead of the player's thread, waits there, and
// goes on as batches are taken.
TEST_F(BackgroundWalkTest, TheWorkerWaitsAtTheQueuesLimitThenGoesOn) {
    constexpr size_t kBatch = WalkChannel::kBatchRecords, kLimit = WalkChannel::kQueuedBatches * kBatch;
    constexpr size_t kRecords = kLimit + 8 * kBatch;
    HWND wake = test::MessageWindow(L"DirhoardExTestWake", DefWindowProcW);
    WalkChannel channel(wake, WM_APP);
    std::atomic<size_t> fed{0}, taken{0}, ahead{0};
    char file[] = "C:\\x.dhm";
    const COPYDATASTRUCT record{100, sizeof file, file};
    test::SecondThread worker([&] {
        for (size_t i = 0; i < kRecords; ++i) {
            channel.Take(record, nullptr);
            ahead = std::max(ahead.load(), ++fed - taken * kBatch);
        }
        channel.End({});
    });
    ASSERT_TRUE(test::PollUntil([&] { return fed >= kLimit; }));
    folders::Batch batch;
    WalkChannel::Taken result = WalkChannel::Taken::Idle;
    size_t got = 0;
    while (test::PollUntil([&] { return (result = channel.TakeBatch(batch)) != WalkChannel::Taken::Idle; }) &&
           result == WalkChannel::Taken::Batch) {
        got += batch.Size();
        ++taken;
    }
    worker.Join();
    DestroyWindow(wake);
    EXPECT_EQ(result, WalkChannel::Taken::Over);
    EXPECT_EQ(got, kRecords);
    // The queue, the batch being filled, and one taken but not yet counted.
    EXPECT_LE(ahead.load(), kLimit + 2 * kBatch);
}

namespace {
// A player that always has a message waiting: a window that paints without end, or a timer
// whose handler takes longer than its period.
std::atomic<int> busyMessages{0};
LRESULT CALLBACK BusyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        InvalidateRect(window, nullptr, FALSE);
        ++busyMessages;
        return 0;
    }
    if (message == WM_TIMER) {
        Sleep(15);
        ++busyMessages;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
}

TEST_F(BackgroundWalkTest, APlayerThatAlwaysHasAMessageWaitingStillGetsItsRecords) {
    Paths fifty;
    for (int i = 0; i < 50; ++i) fifty.push_back(tree.File(L"Busy\\m" + std::to_wstring(10 + i) + L".dhm"));
    constexpr wchar_t kBusy[] = L"DirhoardExTestBusy";
    WindowClass::Register(kBusy, BusyProc);
    for (const char *busy : {"paints without end", "a 10 ms timer taking 15 ms"}) {
        player.Clear();
        int during = 0;
        const Seen seen = Open([&](HWND dialog, Seen &s) {
            if (!test::SelectFolder(dialog, tree.Path(L"Busy"))) return;
            // Once the dialog shows: the dialog manager shows it only when its queue runs empty.
            HWND window = nullptr;
            OnTestThread([&] {
                window = CreateWindowExW(0, kBusy, L"busy", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                                         Module::Instance(), nullptr);
                if (busy[0] == 'p') InvalidateRect(window, nullptr, FALSE);
                else SetTimer(window, 1, 10, nullptr);
            });
            const int before = busyMessages;
            s.pressed = test::PressAddDir(dialog);
            during = busyMessages - before;
            OnTestThread([&] { DestroyWindow(window); });
        });
        EXPECT_TRUE(seen.pressed) << busy;
        EXPECT_EQ(player.Paths(), fifty) << busy;
        EXPECT_GT(during, 0) << busy << ": the player's own messages went on";
    }
}

// A host may make a second object (to read the description, say) and let it go meanwhile.
TEST_F(BackgroundWalkTest, ASecondObjectReleasedDuringAWalkStopsNothing) {
    ComPtr<IKobWinAmpGenPlugin> first;
    ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, first.PutVoid()));
    test::WalkWatcher watch;
    ASSERT_TRUE(held.Start(watch));
    ComPtr<IKobWinAmpGenPlugin> second;
    clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, second.PutVoid());
    second.Reset();
    held.Gate()->Open();
    ASSERT_TRUE(watch.WaitForEnd());
    EXPECT_FALSE(watch.outcome->stopped);
    EXPECT_EQ(player.Paths(), held.Files());
}

namespace {
// The player's own modal loops: a box of its own, and the plugin's configuration window.
IKobWinAmpGenPlugin *configured = nullptr;
LRESULT CALLBACK PlayersLoopsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) MessageBoxW(nullptr, L"Now playing", L"The player", MB_OK);
    else if (message == WM_APP + 1) configured->Configure();
    else return DefWindowProcW(window, message, wParam, lParam);
    return 0;
}
}

// Any loop on the player's thread dispatches the walk's turns.
TEST_F(BackgroundWalkTest, TheWalkGoesOnWhileTheConfigurationWindowOrAPlayersBoxIsOpen) {
    ComPtr<IKobWinAmpGenPlugin> plugin;
    ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, plugin.PutVoid()));
    configured = plugin.Get();
    HWND loops = test::MessageWindow(L"DirhoardExTestPlayersLoops", PlayersLoopsProc);
    struct Loop {
        const char *what;
        UINT message;
        std::function<HWND()> find;
    };
    const std::vector<Loop> ways = {
        {"a box of the player's", WM_APP, [] { return test::WaitForMessageBox(L"The player"); }},
        {"the configuration window", WM_APP + 1, [] { return test::WaitForWindow(L"Dirhoard + Configuration"); }},
    };
    for (const Loop &loop : ways) {
        SCOPED_TRACE(loop.what);
        player.Clear();
        test::HeldWalk again;
        test::WalkWatcher watch;
        ASSERT_TRUE(again.Start(watch));
        bool ended = false, openAtTheEnd = false;
        test::SecondThread user([&] {
            HWND window = loop.find();
            again.Gate()->Open();
            ended = test::PollUntil([&] { return watch.ends > 0; });
            openAtTheEnd = window && IsWindowVisible(window);
            if (window) SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        // The loop runs inside this message, on this thread, until the window or box closes.
        SendMessageW(loops, loop.message, 0, 0);
        user.Join();
        EXPECT_TRUE(ended);
        EXPECT_TRUE(openAtTheEnd);
        EXPECT_EQ(player.Paths(), again.Files());
    }
    DestroyWindow(loops);
}

namespace {
// Another plugin in front of the player that pumps messages before it passes the n-th record on;
// a stop waits among them.
WNDPROC playersOwnProc = nullptr;
size_t pumpAt = 0, passed = 0;
HWND pumpedStop = nullptr;
LRESULT CALLBACK StopperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    modDirhoardEx::StopWalk();
    return 0;
}
LRESULT CALLBACK PumpsFirst(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA && ++passed == pumpAt) {
        PostMessageW(pumpedStop, WM_APP, 0, 0);
        test::PumpPending();
    }
    return CallWindowProcW(playersOwnProc, window, message, wParam, lParam);
}
}

// "Add Dir" attacked from outside, through the player's window only: at the moment that ends
// a press or its walk, nothing more reaches the player, the controls stay as the walk that
// runs wants them, and nothing of the walk outlives that moment.
TEST_F(BackgroundWalkTest, NothingOfAPressOutlivesTheMomentThatEndsIt) {
    struct Outcome {
        size_t sentAfter = 0;         // records the player kept after the moment
        bool controlsWrong = false;   // "Add Dir" or the check box not usable during a walk
        bool left = false;            // a press, a walk, a worker or a hooked window left over
    };
    const auto answer = test::StandInPlayer::Block(test::StandInPlayer::kExtensionBlock);
    struct Attack {
        const char *moment;
        std::function<Outcome()> run;
    };
    const std::vector<Attack> attacks = {
        {"the host lets go while the player answers what it plays", [&] {
             ComPtr<IKobWinAmpGenPlugin> object;
             clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, object.PutVoid());
             player.answerExtensions = [&] {
                 object.Reset();
                 return answer();
             };
             test::WalkWatcher watch;
             const bool started = !!modDirhoardEx::AddFolderToPlaylist(tree.Path(L"A"), modDirhoardEx::RecurseSubfolders, watch);
             const bool adding = folders::IsAdding();
             // Whatever came of it, nothing may go on once the watcher is gone.
             if (started && watch.WaitForEnd()) test::PumpPending();
             return Outcome{player.Paths().size(), false, started || adding || !WorkerEnded()};
         }},
        {"a second press comes through while the player answers", [&] {
             bool again = false;
             bool addDirUsable = true, checkUsable = true;
             const Seen seen = Open([&](HWND dialog, Seen &s) {
                 player.answerExtensions = [&, dialog] {
                     if (!std::exchange(again, true)) SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                     return answer();
                 };
                 if (!(s.held = StartHeldWalk(dialog, s))) return;
                 addDirUsable = IsWindowEnabled(Button(dialog, L"Add Dir"));
                 checkUsable = IsWindowEnabled(Button(dialog, L"Recurse subdirectories"));
                 held.Gate()->Open();
                 s.endedOpen = WaitForTheEnd(dialog);
             });
             const bool exact = seen.held && seen.endedOpen && player.Paths() == held.Files();
             return Outcome{exact ? 0 : player.Paths().size(), !addDirUsable || !checkUsable,
                            !again || folders::IsAdding() || !WorkerEnded()};
         }},
        {"something in front of the player pumps messages, the walk stopped among them, then passes a record on",
         [&] {
             for (int i = 0; i < 600; ++i) tree.File(L"Pumped\\m" + std::to_wstring(i) + L".dhm");
             HWND stopper = test::MessageWindow(L"DirhoardExTestStopper", StopperProc);
             pumpAt = 10;
             pumpedStop = stopper;
             playersOwnProc = reinterpret_cast<WNDPROC>(
                 SetWindowLongPtrW(player.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PumpsFirst)));
             test::WalkWatcher watch;
             const bool ended = modDirhoardEx::AddFolderToPlaylist(tree.Path(L"Pumped"), true, watch) && watch.WaitForEnd();
             SetWindowLongPtrW(player.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(playersOwnProc));
             DestroyWindow(stopper);
             // The record in flight is read whole once the loop returns; nothing comes after it.
             const size_t kept = player.Paths().size();
             return Outcome{kept > pumpAt ? kept - pumpAt : pumpAt - kept, false,
                            !ended || !watch.outcome->stopped || !WorkerEnded()};
         }},
    };
    for (const Attack &attack : attacks) {
        SCOPED_TRACE(attack.moment);
        player.Clear();
        player.answerExtensions = answer;
        modGlobalDefinitions::hWndWinamp = player.Window();
        const Outcome outcome = attack.run();
        EXPECT_EQ(outcome.sentAfter, 0u);
        EXPECT_FALSE(outcome.controlsWrong);
        EXPECT_FALSE(outcome.left);
    }
}
