// Every way a walk stops, and what every stop promises: nothing reaches the player after it, the
// worker ends, and where the browser closes, the folder and the box are stored once.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>
#include "FolderDialogUser.h"
#include "FreedMemory.h"
#include "HeldWalk.h"
#include "MessageWindow.h"
#include "Registry.h"
#include "SecondThread.h"
#include "StandInHost.h"
#include "StandInPlayer.h"
#include "Wait.h"
#include "WalkWatcher.h"
#include "win32/ComPtr.h"
#include "core/Settings.h"
#include "core/clsDirhoardEx.h"
#include "core/modGlobalDefinitions.h"
#include "folders/Folders.h"
#include "folders/modDirhoardEx.h"

namespace {
using Paths = std::vector<std::wstring>;

// The player's thread: the plugin started on the stand-in player, as the host starts it, and a
// window of the test's own that does there what a stop needs done there.
struct Scene {
    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::StandInPlayer player;
    test::StandInHost host{player.Window()};
    IKobWinAmpGenPlugin *plugin = nullptr;  // null once the host let it go
    test::HeldWalk held;
    HWND dialog = nullptr;
    const DWORD thread = GetCurrentThreadId();
    HWND own = nullptr;  // the test's window on the player's thread

    Scene() {
        clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, reinterpret_cast<void **>(&plugin));
        plugin->Initialize(&host);
        Settings::StorePath(held.Folder());
        Settings::StoreRecurse(true);
    }
    ~Scene() {
        if (plugin) plugin->Quit(), plugin->Release();
    }
    // The host's close: Quit, then its last reference.
    void HostLetsGo() {
        plugin->Quit();
        std::exchange(plugin, nullptr)->Release();
    }
};

Scene *scene = nullptr;
constexpr UINT kOpenBrowser = WM_APP, kRunHere = WM_APP + 1;
LRESULT CALLBACK PlayersOwnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kOpenBrowser) modDirhoardEx::ShowFolderBrowser(scene->held.Gate());
    else if (message == kRunHere) (*reinterpret_cast<const std::function<void()> *>(lParam))();
    else return DefWindowProcW(window, message, wParam, lParam);
    return 0;
}

struct Stop {
    const char *way;
    bool browser;  // the walk runs in the browser
    size_t kept;   // records the player keeps: the first, and any in whose handling the walk stopped
    bool closes;   // the browser closes with the walk
    // Stops the walk held at the gate: from the player's thread where there is no browser, else
    // from the user's; or sets up what stops it once the gate opens.
    std::function<void(Scene &, test::WalkWatcher &)> stop;
};

// The stop of `c`, its checks made once what it left has run: the walk held in the browser,
// driven from a second thread as a user drives it.
void InTheBrowser(Scene &s, const Stop &c, bool &held, bool &gone, std::wstring &storedAtClose) {
    std::atomic<bool> done{false};
    test::SecondThread user([&] {
        PostMessageW(s.own, kOpenBrowser, 0, 0);
        s.dialog = test::WaitForWindow(L"Dirhoard +");
        HWND addDir = nullptr;
        test::PollUntil([&] { return s.dialog && (addDir = test::FindChild(s.dialog, L"Button", L"Add Dir")); });
        if (addDir && test::SelectFolder(s.dialog, s.held.Folder())) {
            test::Click(addDir);
            held = s.held.Gate()->Reached(test::kTimeoutMs) &&
                   test::PollUntil([&] { return test::ProgressText(s.dialog).starts_with(L"Adding: 1 file, reading"); });
        }
        if (held) {
            test::WalkWatcher none;
            c.stop(s, none);
            gone = test::PollUntil([&] {
                return c.closes ? !IsWindow(s.dialog) : test::ProgressText(s.dialog).starts_with(L"Stopped: added");
            });
            storedAtClose = Settings::LoadPath();
            RegDeleteTreeW(HKEY_CURRENT_USER, test::kSettingsKey);
        }
        s.held.Gate()->Open();
        if (IsWindow(s.dialog)) PostMessageW(s.dialog, WM_COMMAND, IDCANCEL, 0);
        test::PollUntil([&] { return !IsWindow(s.dialog); });
        done = true;
    });
    test::PumpUntil([&] { return done.load(); }, 60000);
}
}

TEST(StopPaths, NothingReachesThePlayerAfterAStopAndTheWorkerEnds) {
    const auto onRecord = [](size_t n, std::function<void()> then) {
        return [n, then](Scene &s, test::WalkWatcher &) {
            s.player.onPlayFile = [&s, n, then] {
                if (s.player.Playlist().size() == n) then();
            };
        };
    };
    const std::vector<Stop> stops = {
        {"the player's handler", false, 2, false, onRecord(2, [] { modDirhoardEx::StopWalk(); })},
        // Posted once the next turn is due, before the player's loop takes it.
        {"the player's quit", false, 1, false,
         [](Scene &s, test::WalkWatcher &) {
             s.held.Gate()->Open();
             MSG due;
             test::PollUntil([&] { return PeekMessageW(&due, nullptr, WM_APP, WM_APP, PM_NOREMOVE) != FALSE; });
             PostQuitMessage(0);
         }},
        {"an exception on the player's thread", false, 1, false,
         [](Scene &, test::WalkWatcher &watch) {
             watch.onProgress = [] { throw std::runtime_error("the player's side failed"); };
             watch.WaitForEnd();
         }},
        {"WM_QUIT posted to the player's thread", true, 1, true,
         [](Scene &s, test::WalkWatcher &) { PostThreadMessageW(s.thread, WM_QUIT, 7, 0); }},
        {"the host's Quit and last release", true, 1, true,
         [](Scene &s, test::WalkWatcher &) {
             const std::function<void()> letGo = [&s] { s.HostLetsGo(); };
             SendMessageW(s.own, kRunHere, 0, reinterpret_cast<LPARAM>(&letGo));
         }},
        {"the player's window closing", true, 1, true,
         [](Scene &s, test::WalkWatcher &) { PostMessageW(s.player.Window(), WM_CLOSE, 0, 0); }},
        {"Escape", true, 1, false,
         [](Scene &s, test::WalkWatcher &) {
             GUITHREADINFO info{sizeof info};
             GetGUIThreadInfo(s.thread, &info);
             PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
         }},
        {"Finish", true, 1, true,
         [](Scene &s, test::WalkWatcher &) { test::Click(test::FindChild(s.dialog, L"Button", L"Finish")); }},
        {"the close box", true, 1, true,
         [](Scene &s, test::WalkWatcher &) { PostMessageW(s.dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    HWND own = test::MessageWindow(L"DirhoardExTestPlayersOwn", PlayersOwnProc);
    for (const Stop &c : stops) {
        SCOPED_TRACE(c.way);
        Scene s;
        s.own = own;
        scene = &s;
        test::FreedMemoryWatch freed;
        bool held = false, gone = false;
        std::wstring storedAtClose;
        if (c.browser) {
            InTheBrowser(s, c, held, gone, storedAtClose);
        } else {
            test::WalkWatcher watch;
            held = s.held.Start(watch);
            if (held) c.stop(s, watch);
            s.held.Gate()->Open();
            gone = watch.WaitForEnd() && watch.outcome->stopped;
        }
        test::PumpPending();
        ASSERT_TRUE(held);
        EXPECT_TRUE(gone);
        const Paths files = s.held.Files();
        EXPECT_EQ(s.player.Paths(), Paths(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(c.kept)));
        EXPECT_TRUE(s.held.Gate()->ThreadEnded(test::kTimeoutMs)) << "the worker ended";
        EXPECT_EQ(freed.WrittenAfterFree(), 0u);
        if (c.closes) {
            EXPECT_EQ(storedAtClose, s.held.Folder());
            EXPECT_EQ(test::ReadSetting(L"SHBFFDialog", L"Path"), L"") << "stored again afterwards";
        }
        // A quit the stop left is the player's own loop's to take.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        scene = nullptr;
    }
    DestroyWindow(own);
}

// The player's thread ends mid-walk without destroying its window (no WM_DESTROY comes then):
// the worker, which had queued all it may and waits for the player, ends; and the next object,
// on another thread, starts as on a fresh player. Last in its process: the hook its thread
// placed keeps the module loaded.
TEST(StopPaths, ThePlayersThreadEndingStopsTheWorker) {
    test::HeldWalk held;
    std::unique_ptr<test::StandInPlayer> gone;
    std::unique_ptr<test::StandInHost> goneHost;
    ComPtr<IKobWinAmpGenPlugin> goneObject;
    test::WalkWatcher goneWatch;
    bool wasHeld = false;
    std::thread players([&] {
        gone = std::make_unique<test::StandInPlayer>();
        goneHost = std::make_unique<test::StandInHost>(gone->Window());
        clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, goneObject.PutVoid());
        if (SUCCEEDED(goneObject->Initialize(goneHost.get()))) wasHeld = held.Start(goneWatch);
    });
    players.join();
    held.Gate()->Open();
    ASSERT_TRUE(wasHeld);
    EXPECT_TRUE(held.Gate()->ThreadEnded(test::kTimeoutMs));
    EXPECT_EQ(gone->Paths(), (Paths{held.First()}));
    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::StandInPlayer player;
    test::StandInHost host{player.Window()};
    ComPtr<IKobWinAmpGenPlugin> next;
    clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, next.PutVoid());
    ASSERT_HRESULT_SUCCEEDED(next->Initialize(&host));
    EXPECT_FALSE(folders::IsAdding());
    next->Quit();
}
