// The plugin lives inside the player for days: the same user actions, many times over,
// must leave the process holding what it held after the first time. Each test is bounded
// in cycles and prints what it measured. Under Wine they run as their own program, whose
// windows the X server maps without waiting for a window manager (there is none on the
// virtual display, and every hide would otherwise wait two seconds for one).
#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <string>

#include "win32/ComPtr.h"
#include "Emulation.h"
#include "FolderDialogUser.h"
#include "MediaFolder.h"
#include "Registry.h"
#include "ResourceSnapshot.h"
#include "SecondThread.h"
#include "core/Settings.h"
#include "StandInHost.h"
#include "StandInPlayer.h"
#include "Wait.h"
#include "core/WinampHost.h"
#include "core/clsDirhoardEx.h"
#include "folders/modDirhoardEx.h"
#include "hook/modWinampWindowProc.h"
#include "core/modGlobalDefinitions.h"

namespace {
constexpr wchar_t kConfigTitle[] = L"Dirhoard + Configuration";

// What may differ from the level after the first cycle. Objects and handles come back
// exactly in the absence of a leak; one spare each covers a lazily made cache of the
// platform's. Memory moves with heap fragmentation and the shell's caches, so it gets
// 1 MiB: a leak of one small allocation per cycle stays under it, a leaked font, window,
// item list or walk buffer per cycle (200 cycles) does not.
struct Slack {
    long objects = 1;
    long handles = 1;
    int64_t bytes = 1 << 20;
};

void ExpectFlat(const test::ResourceSnapshot &first, const test::ResourceSnapshot &last, Slack slack = {}) {
    EXPECT_LE(last.gdi, first.gdi + slack.objects) << "GDI objects after the first cycle: " << first.gdi;
    EXPECT_LE(last.user, first.user + slack.objects) << "USER objects after the first cycle: " << first.user;
    EXPECT_LE(last.handles, first.handles + slack.handles) << "handles after the first cycle: " << first.handles;
    EXPECT_LE(last.privateBytes, first.privateBytes + slack.bytes)
        << "private bytes after the first cycle: " << first.privateBytes;
}

void Report(const char *what, int cycles, ULONGLONG ms, const test::ResourceSnapshot &first,
            const test::ResourceSnapshot &last) {
    // Under qemu-i386 a time means nothing; what is left behind still does.
    if (test::Emulated())
        std::printf("%s: %d cycles (no time under emulation)\n", what, cycles);
    else
        std::printf("%s: %d cycles in %llu ms (%.1f ms each)\n", what, cycles, ms, static_cast<double>(ms) / cycles);
    std::printf("  after the first: gdi %ld, user %ld, handles %ld, "
                "private %lld KiB\n  after the last:  gdi %ld, user %ld, handles %ld, private %lld KiB\n",
                first.gdi, first.user, first.handles,
                static_cast<long long>(first.privateBytes / 1024), last.gdi, last.user, last.handles,
                static_cast<long long>(last.privateBytes / 1024));
}

class Endurance : public testing::Test {
protected:
    void TearDown() override { UnregisterHotKey(other.Window(), 1); }
    ComPtr<IKobWinAmpGenPlugin> NewPlugin() {
        ComPtr<IKobWinAmpGenPlugin> plugin;
        EXPECT_HRESULT_SUCCEEDED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, plugin.PutVoid()));
        return plugin;
    }
    bool IsFree(char letter) { return other.IsFree(letter); }

    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::StandInPlayer player;
    test::StandInPlayer other;
    test::StandInHost host{player.Window()};
};
}

TEST_F(Endurance, HotKeyAddDirFinishCyclesLeaveNothingBehind) {
    constexpr int kCycles = 200;
    test::MediaFolder media({L"one.dhmp", L"two.dhmp", L"notes.txt"});
    Settings::StoreRecurse(false);
    ComPtr<IKobWinAmpGenPlugin> plugin = NewPlugin();
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
    // WM_HOTKEY as the platform posts it: the atom's id, sign-extended into the wParam.
    const auto hotKey = static_cast<WPARAM>(static_cast<LONG_PTR>(modGlobalDefinitions::WidenedHotKeyId()));

    test::ResourceSnapshot first;
    const ULONGLONG start = GetTickCount64();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        player.Clear();
        std::atomic<bool> done{false};
        test::DialogVisit visit;
        test::SecondThread user([&] {
            visit = test::AddAndFinish(media.Path());
            done = true;
        });
        PostMessageW(player.Window(), WM_HOTKEY, hotKey, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'G'));
        ASSERT_TRUE(test::PumpUntil([&] { return done.load(); }, 20000)) << "cycle " << cycle;
        user.Join();
        ASSERT_TRUE(visit.opened && visit.selected && visit.added && visit.closed) << "cycle " << cycle;
        ASSERT_EQ(modDirhoardEx::PrevDialogProc, nullptr) << "cycle " << cycle;
        ASSERT_EQ(player.Playlist().size(), 2u) << "cycle " << cycle;
        if (cycle == 0) first = test::ResourceSnapshot::Take();
    }
    const ULONGLONG ms = GetTickCount64() - start;
    const test::ResourceSnapshot last = test::ResourceSnapshot::Take();
    Report("hotkey, Add Dir, Finish", kCycles, ms, first, last);
    ExpectFlat(first, last);
    EXPECT_EQ(player.Count(WM_HOTKEY), 0u);
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
}

TEST_F(Endurance, ConfigureAndCloseWithANewLetterEachTimeKeepsTheLastOne) {
    constexpr int kCycles = 100;
    ComPtr<IKobWinAmpGenPlugin> plugin = NewPlugin();
    ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));

    test::ResourceSnapshot first;
    char previous = 'G';
    const ULONGLONG start = GetTickCount64();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        // H, I, ... Z, A, B, ...: never the letter in force.
        const char letter = static_cast<char>('A' + (cycle + 7) % 26);
        std::atomic<bool> clicked{false};
        test::SecondThread user([&] {
            HWND window = test::WaitForWindow(kConfigTitle);
            if (!window) return;
            HWND box = test::FindChild(window, L"Edit");
            SendMessageW(box, EM_SETSEL, 0, 1);
            SendMessageW(box, WM_CHAR, static_cast<WPARAM>(letter), 0);
            test::Click(test::FindChild(window, L"Button", L"Set HotKey"));
            test::Click(test::FindChild(window, L"Button", L"Close"));
            clicked = true;
        });
        ASSERT_HRESULT_SUCCEEDED(plugin->Configure()) << "cycle " << cycle;
        user.Join();
        ASSERT_TRUE(clicked) << "cycle " << cycle;
        ASSERT_FALSE(IsFree(letter)) << "cycle " << cycle << ": Ctrl+Alt+" << letter << " not in force";
        ASSERT_TRUE(IsFree(previous)) << "cycle " << cycle << ": Ctrl+Alt+" << previous << " still held";
        previous = letter;
        if (cycle == 0) first = test::ResourceSnapshot::Take();
    }
    const ULONGLONG ms = GetTickCount64() - start;
    const test::ResourceSnapshot last = test::ResourceSnapshot::Take();
    Report("Configure, new letter, Close", kCycles, ms, first, last);
    ExpectFlat(first, last);
    EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
    EXPECT_TRUE(IsFree(previous));
}

TEST_F(Endurance, PluginObjectsComeAndGoWhileThePlayerWindowLives) {
    constexpr int kCycles = 50;
    test::ResourceSnapshot first;
    const ULONGLONG start = GetTickCount64();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ComPtr<IKobWinAmpGenPlugin> plugin = NewPlugin();
        ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host)) << "cycle " << cycle;
        EXPECT_EQ(host.refs, 1) << "cycle " << cycle;
        // One hook, in front of the player's own procedure and not in front of itself.
        ASSERT_EQ(GetWindowLongPtrW(player.Window(), GWLP_WNDPROC),
                  reinterpret_cast<LONG_PTR>(&modWinampWindowProc::WinampWindowProc));
        ASSERT_NE(modWinampWindowProc::PrevWinampProc, &modWinampWindowProc::WinampWindowProc);
        EXPECT_FALSE(IsFree('G')) << "cycle " << cycle;
        ASSERT_HRESULT_SUCCEEDED(plugin->Quit()) << "cycle " << cycle;
        EXPECT_TRUE(IsFree('G')) << "cycle " << cycle;
        plugin.Reset();
        EXPECT_EQ(host.refs, 0) << "cycle " << cycle;

        // The player's own procedure still gets its messages, each exactly once.
        player.Clear();
        EXPECT_EQ(SendMessageW(player.Window(), WinampHost::WM_WA_IPC, WinampHost::IPC_GETWND_QUERY,
                               WinampHost::IPC_GETWND),
                  test::StandInPlayer::kPlaylistAnswer);
        EXPECT_EQ(player.Count(WM_USER), 1u) << "cycle " << cycle;
        char file[] = "C:\\x.mp3";
        COPYDATASTRUCT record{WinampHost::IPC_PLAYFILE, sizeof file, file};
        SendMessageW(player.Window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
        EXPECT_EQ(player.Count(WM_COPYDATA), 1u) << "cycle " << cycle;
        EXPECT_EQ(player.Paths(), std::vector<std::wstring>{L"C:\\x.mp3"}) << "cycle " << cycle;
        if (cycle == 0) first = test::ResourceSnapshot::Take();
    }
    const ULONGLONG ms = GetTickCount64() - start;
    const test::ResourceSnapshot last = test::ResourceSnapshot::Take();
    Report("create, Initialize, Quit, release", kCycles, ms, first, last);
    ExpectFlat(first, last);
    EXPECT_EQ(modWinampWindowProc::PlaylistWndAnswer, test::StandInPlayer::kPlaylistAnswer);

    // The hook leaves with the window and gives the player back its own procedure.
    HWND window = player.Window();
    player.Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(modWinampWindowProc::IsHooked());
}

// Every reference the object takes on the host's Wrapper is given back once, whatever
// the host called in between and however often.
TEST_F(Endurance, HostWrapperIsReleasedExactlyOnceWhenTheObjectGoes) {
    {
        ComPtr<IKobWinAmpGenPlugin> plugin = NewPlugin();
        ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
        ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));  // a host that initializes twice
        EXPECT_EQ(host.refs, 1);
        ASSERT_HRESULT_SUCCEEDED(plugin->Quit());
        EXPECT_EQ(host.refs, 1);
    }
    EXPECT_EQ(host.refs, 0);

    // A failed Initialize holds the Wrapper it was given just the same.
    host.failWindow = E_FAIL;
    {
        ComPtr<IKobWinAmpGenPlugin> plugin = NewPlugin();
        EXPECT_EQ(plugin->Initialize(&host), E_FAIL);
        EXPECT_EQ(host.refs, 1);
    }
    EXPECT_EQ(host.refs, 0);

    // A second host replacing the first: the first is let go at once, the second at the end.
    host.failWindow = S_OK;
    test::StandInHost second{player.Window()};
    {
        ComPtr<IKobWinAmpGenPlugin> plugin = NewPlugin();
        ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&host));
        ASSERT_HRESULT_SUCCEEDED(plugin->Initialize(&second));
        EXPECT_EQ(host.refs, 0);
        EXPECT_EQ(second.refs, 1);
        ASSERT_HRESULT_SUCCEEDED(plugin->Quit());
    }
    EXPECT_EQ(second.refs, 0);
}

// An object whose Initialize ended early took no reference on the hotkey atom: its Quit
// must not give one back, or the name goes from under whoever holds it.
TEST_F(Endurance, QuitAfterAFailedInitializeLeavesTheAtomAlone) {
    // A name of its own: Wine's server keeps the plugin's name referenced across test runs.
    const std::string name = "DirhoardExProbe" + std::to_string(GetCurrentProcessId());
    const ATOM held = GlobalAddAtomA(name.c_str());
    ASSERT_NE(held, 0);
    modGlobalDefinitions::HotKeyId = static_cast<int16_t>(held);
    host.failWindow = E_FAIL;
    for (int cycle = 0; cycle < 3; ++cycle) {
        ComPtr<IKobWinAmpGenPlugin> plugin = NewPlugin();
        EXPECT_EQ(plugin->Initialize(&host), E_FAIL);
        EXPECT_HRESULT_SUCCEEDED(plugin->Quit());
    }
    EXPECT_EQ(GlobalFindAtomA(name.c_str()), held);
    GlobalDeleteAtom(held);
}
