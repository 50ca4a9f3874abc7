// gen_dirhoardex.dll loaded by the stand-in player's own loader, in this process, from a
// Plugins folder of the test's own: the DirhoardEx.dll beside it serves with nothing
// registered, the registered class only where no DLL lies beside it; a missing or wrong DLL
// fails init with one clear box while the player goes on; uninstall undoes the install.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "BoxCatcher.h"
#include "FolderDialogUser.h"
#include "GenPlugin.h"
#include "win32/Handles.h"
#include "MediaFolder.h"
#include "PlayerWindow.h"
#include "Plugins.h"
#include "Registry.h"
#include "Removal.h"
#include "SecondThread.h"
#include "Server.h"
#include "TempTree.h"
#include "Wait.h"

namespace {
constexpr wchar_t kDescription[] = L"Dirhoard+ WinAmp Plugin by Vaskell";
constexpr wchar_t kProgId[] = L"DirhoardEx.clsDirhoardEx";

// Closes the window `caption` opens on the test thread, until stopped.
class WindowCloser {
public:
    explicit WindowCloser(const wchar_t *caption) : thread_([this, caption] {
        const ULONGLONG deadline = GetTickCount64() + test::kTimeoutMs;
        while (!stop_ && GetTickCount64() < deadline) {
            HWND window = test::WaitForWindow(caption, 100);
            if (!window) continue;
            ++seen_;
            SendMessageW(window, WM_CLOSE, 0, 0);
            Sleep(200);
        }
    }) {}
    ~WindowCloser() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int Seen() const { return seen_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> seen_{0};
    std::thread thread_;
};

bool Loaded(const std::wstring &file) { return GetModuleHandleW(file.c_str()) != nullptr; }

std::wstring CopyAdvice(const std::wstring &folder) {
    return L"Copy DirhoardEx.dll, the one that came with gen_dirhoardex.dll, into\n    " + folder +
           L"\nthen restart the player.";
}

bool Contains(const std::wstring &text, const std::wstring &part) { return text.find(part) != std::wstring::npos; }

class HostPlugin : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(player.Create(GetModuleHandleW(nullptr))); }
    // The player's own order: the window goes, then the plugins quit; they stay loaded.
    void TearDown() override {
        if (IsWindow(player.Window())) DestroyWindow(player.Window());
        plugins.Quit();
        test::ForgetDeletionsAtReboot(tree.Root());
    }
    // The host in the player's Plugins folder, and `server` (a built file) beside it as
    // DirhoardEx.dll, unless null.
    void Install(const wchar_t *server = L"DirhoardEx.dll") {
        host = test::CopyBuilt(L"gen_dirhoardex.dll", folder);
        if (server) serverFile = test::CopyBuilt(server, folder, L"DirhoardEx.dll");
    }
    // Loads the player's plugins; the boxes they showed.
    std::vector<test::CaughtBox> Load() {
        test::BoxCatcher boxes;
        plugins.Load(folder, player.Window());
        return boxes.Boxes();
    }
    // "Uninstall" from the player's preferences once the player's own question is answered
    // yes, the host's questions answered by `answer`; the boxes the host showed.
    std::vector<test::CaughtBox> Uninstall(test::BoxCatcher::Answer answer, Plugins::Uninstalled expected) {
        test::BoxCatcher boxes(L"DirhoardEx", std::move(answer));
        EXPECT_EQ(plugins.Uninstall(0, player.Preferences()), expected);
        return boxes.Boxes();
    }
    static int Yes(const std::wstring &) { return IDYES; }

    test::TempTree tree;
    const std::wstring folder = tree.Folder(L"Plugins");
    const std::wstring removalList = tree.Path(L"Plugins to remove.txt");
    std::wstring host, serverFile;
    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    Plugins plugins{removalList};
    PlayerWindow player{plugins, true};
};
}

TEST(HostPluginHeader, IsTheVersion10HeaderWithEveryEntryAndTheUninstallEntry) {
    HMODULE module = LoadLibraryW(test::BesideThisProgram(L"gen_dirhoardex.dll").c_str());
    ASSERT_NE(module, nullptr);
    auto entry = reinterpret_cast<GenPluginEntry>(GetProcAddress(module, GenPluginEntryName));
    ASSERT_NE(entry, nullptr) << "winampGetGeneralPurposePlugin is not exported by its plain name";
    GenPluginHeader *header = entry();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->version, 0x10);
    EXPECT_NE(header->description, nullptr);
    EXPECT_NE(header->init, nullptr);
    EXPECT_NE(header->config, nullptr);
    EXPECT_NE(header->quit, nullptr);
    EXPECT_EQ(entry(), header) << "the player may call the entry more than once";
    EXPECT_NE(GetProcAddress(module, GenUninstallEntryName), nullptr)
        << "winampUninstallPlugin is not exported by its plain name";
    FreeLibrary(module);
}

TEST_F(HostPlugin, DropInWithNothingRegisteredOpensTheDialogByHotKeyAndFillsThePlaylist) {
    ASSERT_EQ(test::RunRegsvr32(true), 0u);
    Install();
    test::MediaFolder media({L"a.dhmp", L"b.dhmp", L"skip.txt"});
    test::SetSetting(L"SHBFFDialog", L"Path", media.Path());
    test::SetSetting(L"SHBFFDialog", L"Recurse", L"False");
    test::SetSetting(L"Config", L"HotKey", L"J");

    EXPECT_EQ(Load(), std::vector<test::CaughtBox>{});
    ASSERT_EQ(plugins.Count(), 1u);
    EXPECT_EQ(plugins.Description(0), kDescription);
    EXPECT_TRUE(Loaded(serverFile)) << "the DirhoardEx.dll beside the host serves";
    EXPECT_FALSE(Loaded(test::BesideThisProgram(L"DirhoardEx.dll")));

    const test::DialogVisit visit = test::VisitByHotKeyWhilePumping('J', media.Path());
    EXPECT_TRUE(visit.opened && visit.selected && visit.added && visit.closed);
    std::vector<std::wstring> paths = player.Paths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::wstring>{media.PathOf(L"a.dhmp"), media.PathOf(L"b.dhmp")}));
    EXPECT_EQ(test::RegisteredFile(), L"") << "the host registers nothing";
    EXPECT_FALSE(test::KeyExists(HKEY_CLASSES_ROOT, kProgId));
    plugins.Quit();
}

TEST_F(HostPlugin, WithoutADllBesideItTheRegisteredClassServes) {
    test::EnsureRegistered();
    Install(nullptr);
    EXPECT_EQ(Load(), std::vector<test::CaughtBox>{});
    ASSERT_EQ(plugins.Count(), 1u);
    EXPECT_EQ(plugins.Description(0), kDescription);
    EXPECT_TRUE(Loaded(test::BesideThisProgram(L"DirhoardEx.dll"))) << "the registered DirhoardEx.dll serves";
}

TEST_F(HostPlugin, ConfigReturnsOnceTheConfigurationWindowIsClosedAndQuitStops) {
    Install();
    Load();
    ASSERT_EQ(plugins.Count(), 1u);
    {
        WindowCloser configuration(L"Dirhoard + Configuration");
        plugins.Configure(0);
        configuration.Stop();
        EXPECT_EQ(configuration.Seen(), 1);
    }
    plugins.Quit();
    plugins.Quit();  // a second quit is harmless
    EXPECT_TRUE(IsWindow(player.Window()));
}

TEST_F(HostPlugin, AStaleRegistrationOfAnotherFolderNeitherWinsNorIsRemovedByUninstall) {
    const std::wstring old = test::CopyBuilt(L"DirhoardEx.dll", tree.Folder(L"Old install"));
    ASSERT_EQ(test::RunRegsvr32(false, old), 0u);
    Install();
    test::SetSetting(L"Config", L"HotKey", L"J");
    EXPECT_EQ(Load(), std::vector<test::CaughtBox>{});
    ASSERT_EQ(plugins.Count(), 1u);
    EXPECT_TRUE(Loaded(serverFile)) << "the DLL beside the host wins";
    EXPECT_FALSE(Loaded(old)) << "the registered copy of another folder is never loaded";

    EXPECT_EQ(Uninstall(Yes, Plugins::Uninstalled::Restart).size(), 1u) << "keep the settings";
    EXPECT_EQ(test::RegisteredFile(), old) << "another copy's registration is that copy's to remove";
    EXPECT_EQ(test::ReadSetting(L"Config", L"HotKey"), L"J") << "kept, as the user chose";
    EXPECT_EQ(test::RunRegsvr32(true, old), 0u);
}

// The player has asked whether to uninstall: the host asks only whether to keep the settings,
// says that the player restarts to finish, and undoes the install whatever comes of the box.
// Only an explicit No deletes the settings: a box that fails (its owner is no window) or goes
// with its owner (the user closes the player while it shows) keeps them, and what could not be
// removed is still told, in a box owned by a window that exists.
struct UninstallAnswer {
    const char *name;
    int button;       // what the user presses; BoxCatcher::kLeave: nothing
    bool ownerGone;   // the preferences window is no window when the host is called
    bool playerGoes;  // the player's window is closed while the question shows
    bool kept;
};

class HostPluginUninstall : public HostPlugin, public testing::WithParamInterface<UninstallAnswer> {};

TEST_P(HostPluginUninstall, OnlyAnExplicitNoDeletesTheSettingsAndWhatWasLeftIsTold) {
    const UninstallAnswer &c = GetParam();
    Install();
    ASSERT_EQ(test::RunRegsvr32(false, serverFile), 0u);  // as a setup program does
    test::SetSetting(L"Config", L"HotKey", L"J");
    Load();
    ASSERT_EQ(plugins.Count(), 1u);
    // Where the box fails or goes, something is also left to tell: a file another program holds.
    const bool held = c.ownerGone || c.playerGoes;
    FileHandle holder(held ? CreateFileW(serverFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                         nullptr)
                           : INVALID_HANDLE_VALUE);
    HWND owner = player.Preferences();
    if (c.ownerGone) DestroyWindow(owner);
    std::vector<test::CaughtBox> boxes;
    {
        HWND window = player.Window();
        test::BoxCatcher catcher(L"DirhoardEx", [&](const std::wstring &text) {
            if (!text.starts_with(L"Keep the Dirhoard+ settings")) return 0;
            if (c.playerGoes) PostMessageW(window, WM_CLOSE, 0, 0);
            return c.button;
        });
        EXPECT_EQ(plugins.Uninstall(0, owner), Plugins::Uninstalled::Restart);
        boxes = catcher.Boxes();
    }
    const size_t question = c.ownerGone ? 0 : 1;
    ASSERT_EQ(boxes.size(), question + held) << "one question: the player asked the other";
    if (question) {
        EXPECT_EQ(boxes[0].text.rfind(L"Keep the Dirhoard+ settings", 0), 0u) << boxes[0].text;
        EXPECT_TRUE(Contains(boxes[0].text, L"The player then restarts to finish the uninstall")) << boxes[0].text;
    }
    if (held) {
        EXPECT_EQ(boxes.back().text.rfind(L"Dirhoard+ is uninstalled, but not everything could be removed:", 0), 0u)
            << boxes.back().text;
    }
    EXPECT_EQ(test::KeyExists(HKEY_CURRENT_USER, test::kSettingsKey), c.kept);
    if (c.kept) {
        EXPECT_EQ(test::ReadSetting(L"Config", L"HotKey"), L"J");
    }
    EXPECT_EQ(test::RegisteredFile(), L"");
    EXPECT_FALSE(test::KeyExists(HKEY_CLASSES_ROOT, kProgId));
    if (!held) {
        EXPECT_FALSE(test::FileExists(serverFile)) << "nothing can load it by that name again";
        // Loaded, so only renamed: it goes when the system next starts.
        const std::wstring aside = serverFile + L".removed";
        EXPECT_TRUE(test::FileExists(aside));
        const auto atReboot = test::DeletedAtReboot();
        EXPECT_NE(std::find(atReboot.begin(), atReboot.end(), aside), atReboot.end());
    }
    EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'J')) << "the plugin let its hotkey go";
    UnregisterHotKey(nullptr, 1);
    EXPECT_EQ(Removal::Pending(removalList), std::vector<std::wstring>{host});
    EXPECT_TRUE(plugins.RemovedAtRestart(0));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, HostPluginUninstall,
    testing::Values(UninstallAnswer{"Yes", IDYES, false, false, true}, UninstallAnswer{"No", IDNO, false, false, false},
                    UninstallAnswer{"AFailedBox", 0, true, false, true},
                    UninstallAnswer{"ABoxGoneWithThePlayer", test::BoxCatcher::kLeave, false, true, true}),
    [](const testing::TestParamInfo<UninstallAnswer> &info) { return info.param.name; });

// The player shuts down with a walk running and the browser open: closed, its window goes
// first and the plugins quit after its loop; at logoff they quit with the window alive. Either
// way nothing reaches the player after that, the browser stores its folder once and closes.
class HostPluginShutdown : public HostPlugin, public testing::WithParamInterface<bool> {};

TEST_P(HostPluginShutdown, StopsTheWalkAndStoresTheFolderOnceInThePlayersOrder) {
    const bool logoff = GetParam();
    Install();
    const std::wstring library = tree.Folder(L"Library");
    ASSERT_TRUE(test::RunShell(library, "for f in $(seq 10 79); do mkdir f$f && (cd f$f && seq -f 'm%03g.mp3' 0 255 | xargs touch); done"));
    constexpr size_t kFiles = 70 * 256;
    test::SetSetting(L"SHBFFDialog", L"Path", library);
    test::SetSetting(L"SHBFFDialog", L"Recurse", L"True");
    ASSERT_EQ(Load(), std::vector<test::CaughtBox>{});
    HWND window = player.Window();
    HWND list = FindWindowExW(window, nullptr, L"ListBox", nullptr);
    // What the player had when it told the plugins to quit, and the browser's settings then.
    size_t atQuit = SIZE_MAX;
    std::wstring storedAtQuit;
    player.onEndSession = [&] {
        atQuit = player.Paths().size();
        storedAtQuit = test::ReadSetting(L"SHBFFDialog", L"Path");
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(test::kSettingsKey) + L"\\SHBFFDialog").c_str());
    };
    std::atomic<bool> walking{false}, done{false};
    test::SecondThread user([&] {
        test::PressChord({VK_CONTROL, VK_MENU, 'G'});
        HWND dialog = test::WaitForWindow(L"Dirhoard +");
        HWND addDir = nullptr;
        test::PollUntil([&] { return dialog && (addDir = test::FindChild(dialog, L"Button", L"Add Dir")); });
        if (addDir && test::SelectFolder(dialog, library)) {
            test::Click(addDir);
            // Sent across threads: the player's thread answers between its messages.
            walking = test::PollUntil([&] {
                DWORD_PTR count = 0;
                return SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 1000, &count) && count > 0;
            });
        }
        if (logoff) {
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, test::kTimeoutMs, &answer);
            SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, test::kTimeoutMs, &answer);
        } else {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        done = test::PollUntil([&] { return !dialog || !IsWindow(dialog); });
    });
    // The player's own loop: closed, it ends at the quit its window's end posts; at logoff the
    // session ends it once the plugins have quit.
    bool quitSeen = false;
    const ULONGLONG deadline = GetTickCount64() + 60000;
    for (MSG msg; !(logoff && done) && GetTickCount64() < deadline;) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } else if (msg.message == WM_QUIT) {
            quitSeen = true;
            break;
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    user.Join();
    if (!logoff) {
        EXPECT_TRUE(quitSeen);
        EXPECT_FALSE(IsWindow(window));
        atQuit = player.Paths().size();
        storedAtQuit = test::ReadSetting(L"SHBFFDialog", L"Path");
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(test::kSettingsKey) + L"\\SHBFFDialog").c_str());
        plugins.Quit();
    }
    ASSERT_TRUE(walking) << "no walk ran when the player shut down";
    EXPECT_TRUE(done) << "the browser stayed open";
    // The browser is gone, and its walk with it: whatever was queued is dispatched now.
    test::PumpPending();
    EXPECT_EQ(player.Paths().size(), atQuit) << "sent after the plugins were told to quit";
    EXPECT_LT(atQuit, kFiles) << "the walk was over before the player shut down";
    EXPECT_EQ(storedAtQuit, library);
    if (IsWindow(window)) DestroyWindow(window);
    EXPECT_EQ(test::ReadSetting(L"SHBFFDialog", L"Path"), L"") << "stored again afterwards";
}

INSTANTIATE_TEST_SUITE_P(Order, HostPluginShutdown, testing::Bool(),
                         [](const testing::TestParamInfo<bool> &info) { return info.param ? "Logoff" : "Closed"; });

TEST_F(HostPlugin, UninstallTellsWhichFileItCouldNotRemove) {
    Install();
    Load();
    ASSERT_EQ(plugins.Count(), 1u);
    // Another program has the file open and lets nobody rename or delete it.
    FileHandle held(CreateFileW(serverFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    const auto boxes = Uninstall(Yes, Plugins::Uninstalled::Restart);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text.rfind(L"Dirhoard+ is uninstalled, but not everything could be removed:\n\n" + serverFile +
                                      L"\nis in use and could not be removed (error 32: ",
                                  0),
              0u)
        << boxes[1].text;
    EXPECT_TRUE(Contains(boxes[1].text, L"Delete it once the player is closed.")) << boxes[1].text;
    EXPECT_TRUE(boxes[1].icon);
    EXPECT_TRUE(test::FileExists(serverFile));
}

// A missing or wrong DirhoardEx.dll: one box that names the file and says what to copy
// where; init fails, the host is unloaded, the wrong DLL is not left loaded, the player goes on.
namespace {
struct Refusal {
    const char *name;
    // Puts the wrong DirhoardEx.dll (or none) beside the host; returns the file the box must name.
    std::wstring (*make)(const std::wstring &folder);
    const wchar_t *reason;
};

std::string ReadBuilt(const wchar_t *file) {
    FileHandle in(CreateFileW(test::BesideThisProgram(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    std::string bytes(GetFileSize(in.Get(), nullptr), '\0');
    DWORD read = 0;
    ReadFile(in.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

std::wstring Write(const std::wstring &folder, const std::string &bytes) {
    const std::wstring file = folder + L"\\DirhoardEx.dll";
    FileHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(out.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return file;
}

constexpr bool k64 = sizeof(void *) == 8;

class HostPluginRefuses : public HostPlugin, public testing::WithParamInterface<Refusal> {};
}

TEST_P(HostPluginRefuses, WithOneBoxNamingTheFileAndWhatToCopyWhere) {
    ASSERT_EQ(test::RunRegsvr32(true), 0u);
    Install(nullptr);
    const std::wstring named = GetParam().make(folder);
    const auto boxes = Load();
    EXPECT_EQ(plugins.Count(), 0u) << "a plugin whose init fails is unloaded";
    ASSERT_EQ(boxes.size(), 1u);
    const std::wstring &text = boxes[0].text;
    EXPECT_EQ(text.rfind(L"Dirhoard+ cannot start:", 0), 0u) << text;
    EXPECT_TRUE(Contains(text, named)) << text;
    EXPECT_TRUE(Contains(text, GetParam().reason)) << text;
    EXPECT_TRUE(Contains(text, CopyAdvice(folder))) << text;
    EXPECT_TRUE(boxes[0].icon);

    EXPECT_FALSE(Loaded(host));
    EXPECT_FALSE(Loaded(folder + L"\\DirhoardEx.dll")) << "a DLL that is not ours is let go";
    ASSERT_TRUE(IsWindow(player.Window()));
    EXPECT_NE(SendMessageW(player.Window(), WM_USER, 1, 260), 0) << "the player still answers";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostPluginRefuses,
    testing::Values(
        Refusal{"Missing",
                [](const std::wstring &folder) { return L"It looked for\n    " + folder + L"\\DirhoardEx.dll\n"; },
                L"DirhoardEx.dll is missing.", },
        Refusal{"OtherArchitecture",
                [](const std::wstring &folder) {
                    // The same DLL, marked as built for the other processor.
                    std::string bytes = ReadBuilt(L"DirhoardEx.dll");
                    const DWORD pe = *reinterpret_cast<const DWORD *>(bytes.data() + 0x3C);
                    const WORD other = k64 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64;
                    memcpy(bytes.data() + pe + 4, &other, sizeof other);
                    return Write(folder, bytes);
                },
                k64 ? L"is built for 32-bit (x86) programs, and this player is 64-bit (x64)."
                    : L"is built for 64-bit (x64) programs, and this player is 32-bit (x86)."},
        Refusal{"NotADll",
                [](const std::wstring &folder) { return Write(folder, "Dirhoard+ read me first\r\n"); },
                L"is damaged or is not a DLL at all."},
        Refusal{"Truncated",
                [](const std::wstring &folder) { return Write(folder, ReadBuilt(L"DirhoardEx.dll").substr(0, 4096)); },
                L"could not be loaded (error "},
        Refusal{"NoComServer",
                [](const std::wstring &folder) {
                    return test::CopyBuilt(L"gen_dirhoardex.dll", folder, L"DirhoardEx.dll");
                },
                L"is not the DirhoardEx.dll of Dirhoard+: it is no COM server (it has no DllGetClassObject)."},
        Refusal{"OtherClasses",
                [](const std::wstring &folder) {
                    return test::CopyBuilt(L"other\\gen_other.dll", folder, L"DirhoardEx.dll");
                },
                L"is not the DirhoardEx.dll of Dirhoard+: it has no class clsDirhoardEx (error 0x80040111)."}),
    [](const testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });
