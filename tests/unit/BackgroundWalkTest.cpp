// "Add Dir" in the background: the walk's turns in whichever loop runs on the player's thread,
// its stops, the worker's queue, and the stored folder checked without holding the player.
#include "BrowserFixture.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include "MessageWindow.h"
#include "SecondThread.h"
#include "StandInHost.h"
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
    // The sample's four files in the walk's order: the held folder's comes second.
    Paths AllOfA() const { return {sentFirst, sentFirst == b1 ? c1 : b1, a1, a2}; }
    static bool Ended(HWND dialog) { return test::ProgressText(dialog).starts_with(L"Added "); }
    // The walk's own end, as the line under the tree tells it.
    static bool WaitForTheEnd(HWND dialog) { return test::PollUntil([&] { return Ended(dialog); }); }
    // Gone, its module given back, and what it had queued dispatched, were it still sending.
    static bool WorkerEnded() { return test::PumpUntil([] { return Module::CanUnload(); }); }
    void Press(const std::wstring &folder, test::WalkWatcher &watch) {
        modDirhoardEx::RecurseSubfolders = true;
        ASSERT_TRUE(modDirhoardEx::AddFolderToPlaylist(folder, modDirhoardEx::RecurseSubfolders, watch));
        ASSERT_TRUE(watch.WaitForEnd(60000));
    }
};
}

// Stopped from within the player's handling of a record, the walk sends not one more, though
// its worker had queued more.
TEST_F(BackgroundWalkTest, NothingIsSentAfterAStop) {
    for (int i = 0; i < 600; ++i) tree.File(L"Many\\m" + std::to_wstring(i) + L".dhm");
    player.onPlayFile = [&] {
        if (player.Playlist().size() == 10) folders::StopWalk();
    };
    test::WalkWatcher watch;
    Press(tree.Path(L"Many"), watch);
    EXPECT_TRUE(WorkerEnded());
    EXPECT_EQ(player.Playlist().size(), 10u);
    EXPECT_EQ(watch.ends, 1);
    EXPECT_TRUE(watch.outcome->stopped);
    EXPECT_EQ(watch.outcome->sent, 10u);
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

// The first progress, while the walk is held, fails. Past the held folder lie more records
// than the queue holds: a worker left running would wait at its limit for ever.
TEST_F(BackgroundWalkTest, AnExceptionOnThePlayersSideStopsTheWorker) {
    ASSERT_TRUE(test::RunShell(tree.Folder(L"Full"),
                               "for f in $(seq 10 79); do mkdir f$f && (cd f$f && seq -f 'm%03g.dhm' 0 255 | xargs touch); done"));
    gate.reset();
    const auto held = std::make_shared<test::ListingGate>(test::ListedSubfolders(tree.Path(L"Full")).at(1));
    test::WalkWatcher watch;
    watch.onProgress = [] { throw std::runtime_error("the player's side failed"); };
    modDirhoardEx::RecurseSubfolders = true;
    ASSERT_TRUE(modDirhoardEx::AddFolderToPlaylist(tree.Path(L"Full"), modDirhoardEx::RecurseSubfolders, watch, nullptr, held));
    ASSERT_TRUE(held->Reached(test::kTimeoutMs));
    ASSERT_TRUE(watch.WaitForEnd());
    held->Open();
    EXPECT_TRUE(watch.outcome->stopped);
    EXPECT_FALSE(folders::IsWalking());
    EXPECT_TRUE(WorkerEnded());
    test::RunShell(tree.Root(), "rm -rf Full");
}

TEST_F(BackgroundWalkTest, QuitDuringAWalkStopsItAndEndsTheDialog) {
    const DWORD playersThread = GetCurrentThreadId();
    bool gone = false;
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        if (!(s.held = StartHeldWalk(dialog, s))) return;
        PostThreadMessageW(playersThread, WM_QUIT, 7, 0);
        gone = test::PollUntil([&] { return !IsWindow(dialog); });
        gate->Open();
    });
    MSG quit{};
    const bool kept = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    ASSERT_TRUE(seen.held);
    EXPECT_TRUE(gone);
    EXPECT_TRUE(WorkerEnded());
    EXPECT_EQ(player.Paths(), (Paths{sentFirst}));
    EXPECT_TRUE(kept && quit.wParam == 7) << "left for the player's own loop";
}

// Where no worker can start, the records go out as the walk finds them, and its end still
// comes as a posted message, not from inside the start.
TEST_F(BackgroundWalkTest, WithoutAWorkerTheWalkListsHereAndEndsByAMessage) {
    folders::WalkRequest request;
    request.player = player.Window();
    request.folder = tree.Path(L"A");
    request.recurse = true;
    request.worker = false;
    test::WalkWatcher watch;
    ASSERT_TRUE(folders::StartWalk(request, watch));
    EXPECT_EQ(watch.ends, 0);
    EXPECT_EQ(player.Paths(), AllOfA());
    ASSERT_TRUE(watch.WaitForEnd());
    EXPECT_FALSE(watch.outcome->stopped);
    EXPECT_EQ(watch.outcome->sent, 4u);
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

// The flag of a selection without a path must not outlive a selection made after it.
TEST_F(BackgroundWalkTest, TheComputerThenAFolderSelectedDuringAWalkLeaveAddDirWorkingAfterIt) {
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        if (!(s.held = StartHeldWalk(dialog, s))) return;
        s.selected = test::SelectFolder(dialog, L"") && test::SelectFolder(dialog, tree.Path(L"A\\B"));
        gate->Open();
        if (WaitForTheEnd(dialog)) s.pressed = test::PressAddDir(dialog);
    });
    ASSERT_TRUE(seen.held);
    EXPECT_TRUE(seen.selected);
    EXPECT_TRUE(seen.pressed);
    Paths expected = AllOfA();
    expected.push_back(b1);
    EXPECT_EQ(player.Paths(), expected);
}

// A host may make a second object (to read the description, say) and let it go meanwhile.
TEST_F(BackgroundWalkTest, ASecondObjectReleasedDuringAWalkStopsNothing) {
    ComPtr<IKobWinAmpGenPlugin> first;
    ASSERT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, first.PutVoid()));
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        if (!(s.held = StartHeldWalk(dialog, s))) return;
        OnTestThread([] {
            ComPtr<IKobWinAmpGenPlugin> second;
            clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, second.PutVoid());
        });
        gate->Open();
        s.endedOpen = WaitForTheEnd(dialog);
    });
    ASSERT_TRUE(seen.held);
    EXPECT_TRUE(seen.endedOpen);
    EXPECT_EQ(player.Paths(), AllOfA());
}

// Other tools store the folder as \\?\C:\...: the dialog opens on it, and "Add Dir" adds it.
TEST_F(BackgroundWalkTest, AStoredFolderInTheExtendedFormIsTheFolderItNames) {
    Settings::StorePath(L"\\\\?\\" + tree.Path(L"A"));
    Settings::StoreRecurse(false);
    test::SettleAccessTimes(tree.Path(L"A"));
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        test::PollUntil([&] { return !(s.treeSelection = test::SelectedInTree(dialog)).empty(); });
        s.pressed = test::PressAddDir(dialog);
    });
    EXPECT_EQ(seen.treeSelection, L"A");
    EXPECT_TRUE(seen.pressed);
    EXPECT_EQ(player.Paths(), (Paths{a1, a2}));
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
        player.Clear();
        gate.reset();
        gate = std::make_shared<test::ListingGate>(slow);
        listing = gate;
        bool openAtTheEnd = false;
        const Seen seen = Open([&](HWND dialog, Seen &s) {
            if (!(s.held = StartHeldWalk(dialog, s))) return;
            PostMessageW(loops, loop.message, 0, 0);
            HWND window = loop.find();
            gate->Open();
            s.endedOpen = WaitForTheEnd(dialog);
            openAtTheEnd = window && IsWindowVisible(window);
            if (window) SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        ASSERT_TRUE(seen.held) << loop.what;
        EXPECT_TRUE(seen.endedOpen) << loop.what;
        EXPECT_TRUE(openAtTheEnd) << loop.what;
        EXPECT_EQ(player.Paths(), AllOfA()) << loop.what;
    }
    DestroyWindow(loops);
}

namespace {
// A player that ends its loop mid-walk: its handler of this message posts its quit.
constexpr UINT kPlayerQuits = WM_APP + 9;
size_t keptAtQuit = 0;
const test::StandInPlayer *quitting = nullptr;
LRESULT CALLBACK QuittingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kPlayerQuits) return DefWindowProcW(window, message, wParam, lParam);
    keptAtQuit = quitting->Playlist().size();
    PostQuitMessage(0);
    return 0;
}

// Another plugin in front of the player that pumps messages before it passes the n-th record on;
// a stop waits among them.
WNDPROC playersOwnProc = nullptr;
size_t pumpAt = 0, passed = 0;
HWND pumpedStop = nullptr;
LRESULT CALLBACK StopperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    folders::StopWalk();
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
             const bool started = modDirhoardEx::AddFolderToPlaylist(tree.Path(L"A"), modDirhoardEx::RecurseSubfolders, watch);
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
                 gate->Open();
                 s.endedOpen = WaitForTheEnd(dialog);
             });
             const bool exact = seen.held && seen.endedOpen && player.Paths() == AllOfA();
             return Outcome{exact ? 0 : player.Paths().size(), !addDirUsable || !checkUsable,
                            !again || folders::IsAdding() || !WorkerEnded()};
         }},
        {"the player posts its quit mid-walk", [&] {
             for (int i = 0; i < 600; ++i) tree.File(L"Many\\m" + std::to_wstring(i) + L".dhm");
             quitting = &player;
             HWND loop = test::MessageWindow(L"DirhoardExTestQuitting", QuittingProc);
             // As slow as a player that redraws its playlist after every record: many turns.
             player.onPlayFile = [&] {
                 Sleep(1);
                 if (player.Playlist().size() == 10) PostMessageW(loop, kPlayerQuits, 0, 0);
             };
             test::WalkWatcher watch;
             modDirhoardEx::RecurseSubfolders = true;
             const bool ended = modDirhoardEx::AddFolderToPlaylist(tree.Path(L"Many"), modDirhoardEx::RecurseSubfolders, watch) && watch.WaitForEnd();
             player.onPlayFile = nullptr;
             DestroyWindow(loop);
             return Outcome{player.Paths().size() - keptAtQuit, false,
                            !ended || !watch.outcome->stopped || !WorkerEnded()};
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
        // Last: the hook its thread placed keeps the module loaded for the rest of the process.
        {"the player's thread ends mid-walk without destroying its window", [&] {
             test::RunShell(tree.Folder(L"Full"),
                            "for f in $(seq 10 79); do mkdir f$f && (cd f$f && seq -f 'm%03g.dhm' 0 255 | xargs touch); done");
             // Past this folder's listing the worker has queued all it may: it waits for the player.
             gate.reset();
             const auto held = std::make_shared<test::ListingGate>(test::ListedSubfolders(tree.Path(L"Full")).at(64));
             std::unique_ptr<test::StandInPlayer> gone;
             std::unique_ptr<test::StandInHost> goneHost;
             ComPtr<IKobWinAmpGenPlugin> goneObject;
             test::WalkWatcher goneWatch;
             std::thread players([&] {
                 gone = std::make_unique<test::StandInPlayer>();
                 goneHost = std::make_unique<test::StandInHost>(gone->Window());
                 clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, goneObject.PutVoid());
                 if (FAILED(goneObject->Initialize(goneHost.get()))) return;
                 modDirhoardEx::RecurseSubfolders = true;
                 if (modDirhoardEx::AddFolderToPlaylist(tree.Path(L"Full"), modDirhoardEx::RecurseSubfolders, goneWatch, nullptr, held))
                     held->Reached(test::kTimeoutMs);
             });
             players.join();
             const DWORD workerId = held->Thread();
             held->Open();
             HANDLE worker = workerId ? OpenThread(SYNCHRONIZE, FALSE, workerId) : nullptr;
             const bool workerEnded = worker && WaitForSingleObject(worker, test::kTimeoutMs) == WAIT_OBJECT_0;
             if (worker) CloseHandle(worker);
             // The next object, on this thread, starts as on a fresh player.
             ComPtr<IKobWinAmpGenPlugin> next;
             test::StandInHost host{player.Window()};
             clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, next.PutVoid());
             const bool initialized = SUCCEEDED(next->Initialize(&host));
             const bool left = !workerId || !workerEnded || !initialized || folders::IsAdding();
             if (initialized) next->Quit();
             test::RunShell(tree.Root(), "rm -rf Full");
             return Outcome{gone->Paths().size(), false, left};
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
