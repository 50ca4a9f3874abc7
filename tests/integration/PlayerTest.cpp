// The stand-in player program run as its own process, as the demo and a user run it: its
// Unicode window answers the playlist query, well-ended play-file records fill the playlist and
// its caption, --playlist writes M3U on exit, it registers its media types at start and lists
// them as the player does, its plugins quit after its window is gone (with it alive at logoff),
// and it uninstalls plugins as the player does: at once, or with a restart that deletes them.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BoxCatcher.h"
#include "win32/Handles.h"
#include "FileAssociations.h"
#include "PlayerIds.h"
#include "Registry.h"
#include "Removal.h"
#include "Server.h"
#include "TempTree.h"
#include "Wait.h"

namespace {
std::wstring TempFile(const wchar_t *name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

std::string ReadWhole(const std::wstring &path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    char buffer[4096];
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

// One player process: the built one has no plugins (no Plugins folder is the same as an empty one).
class PlayerProcess {
public:
    explicit PlayerProcess(const std::wstring &playlist,
                           const std::wstring &program = test::BesideThisProgram(L"Winamp.exe"),
                           const std::wstring &options = L"") {
        std::wstring command = L"\"" + program + L"\" --playlist \"" + playlist + L"\" " + options;
        STARTUPINFOW si{sizeof si};
        started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_);
    }
    // The process `parent` started, once there is one.
    static DWORD StartedBy(DWORD parent) {
        DWORD id = 0;
        test::PollUntil([&] {
            KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
            PROCESSENTRY32W entry{sizeof entry};
            for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
                 more = Process32NextW(snapshot.Get(), &entry))
                if (entry.th32ParentProcessID == parent) id = entry.th32ProcessID;
            return id != 0;
        });
        return id;
    }
    explicit PlayerProcess(DWORD id) {
        info_.dwProcessId = id;
        info_.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE,
                                     FALSE, id);
        started_ = info_.hProcess != nullptr;
    }
    ~PlayerProcess() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 9);
        if (info_.hThread) CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    // Its main window, once it exists.
    HWND Window() {
        HWND found = nullptr;
        test::PollUntil([&] {
            for (HWND w = FindWindowW(Player::kClass, nullptr); w; w = FindWindowExW(nullptr, w, Player::kClass, nullptr)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid == info_.dwProcessId) found = w;
            }
            return found != nullptr;
        });
        return found;
    }
    DWORD Id() const { return info_.dwProcessId; }
    // The first `size` bytes of the block the player answers the extension-list query with,
    // read out of its memory; nothing for a 0 answer.
    std::optional<std::string> ExtensionAnswer(HWND player, WPARAM wParam, size_t size) const {
        const auto block = reinterpret_cast<const char *>(SendMessageW(player, WM_USER, wParam, 292));
        if (!block) return std::nullopt;
        std::string bytes(size, '\x7F');
        SIZE_T read = 0;
        ReadProcessMemory(info_.hProcess, block, bytes.data(), size, &read);
        return bytes.substr(0, read);
    }
    // Whether the process has this DLL (a full path) loaded.
    bool HasLoaded(const std::wstring &file) const {
        HMODULE modules[512];
        DWORD bytes = 0;
        if (!EnumProcessModules(info_.hProcess, modules, sizeof modules, &bytes)) return false;
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
            wchar_t name[MAX_PATH] = {};
            GetModuleFileNameExW(info_.hProcess, modules[i], name, MAX_PATH);
            if (CompareStringOrdinal(name, -1, file.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
        }
        return false;
    }
    // Exit code once it ended, or -1 after the timeout.
    DWORD Wait() {
        if (WaitForSingleObject(info_.hProcess, test::kTimeoutMs) != WAIT_OBJECT_0) return static_cast<DWORD>(-1);
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    bool started_ = false;

private:
    PROCESS_INFORMATION info_{};
};

LRESULT SendRecord(HWND player, ULONG_PTR command, const void *data, DWORD bytes) {
    COPYDATASTRUCT record{command, bytes, const_cast<void *>(data)};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

std::string Bytes(const std::wstring &text) {
    return std::string(reinterpret_cast<const char *>(text.data()), text.size() * sizeof(wchar_t));
}
}

// The player reads a record up to its terminating zero whatever cbData says; the stand-in
// refuses one without it within cbData, so that the sender's fault shows in its exit code.
static void AppendsWellEndedRecordsShowsTheLastTitleAndRefusesTheRest() {
    using namespace std::string_literals;
    const std::wstring m3u = TempFile(L"dirhoard-player-test.m3u");
    DeleteFileW(m3u.c_str());
    PlayerProcess process(m3u);
    ASSERT_TRUE(process.started_);
    HWND player = process.Window();
    ASSERT_NE(player, nullptr) << "no \"Winamp v1.x\" window";
    EXPECT_TRUE(IsWindowUnicode(player));

    HWND list = reinterpret_cast<HWND>(SendMessageW(player, WM_USER, 1, 260));
    wchar_t cls[32] = {};
    GetClassNameW(list, cls, 32);
    EXPECT_EQ(std::wstring(cls), L"ListBox") << "the playlist window answers the window query";

    // Greek and Japanese: outside the ANSI code page.
    const std::wstring outside = L"C:\\Music\\\x03A9\x03BC\x03AD\x03B3\x03B1 \x039E \x6771\x4EAC.ogg";
    struct Record {
        ULONG_PTR command;
        std::string bytes;  // cbData is their count
        LRESULT answer;
        const wchar_t *caption;
    };
    const Record records[] = {
        {100, "C:\\Music\\one.mp3\0"s, TRUE, L"one - Winamp"},
        {1100, Bytes(outside + L'\0'), TRUE, L"\x03A9\x03BC\x03AD\x03B3\x03B1 \x039E \x6771\x4EAC - Winamp"},
        {7, "C:\\Music\\two.mp3\0"s, FALSE, nullptr},  // not a play-file record
        {100, "C:\\x.wav"s, FALSE, nullptr},
        {1100, Bytes(L"C:\\x.wav"), FALSE, nullptr},
        {100, "C:\\y.wav\0after the end"s, TRUE, L"y - Winamp"},
    };
    std::wstring caption = Player::kTitle;
    for (const Record &r : records) {
        EXPECT_EQ(SendRecord(player, r.command, r.bytes.data(), static_cast<DWORD>(r.bytes.size())), r.answer)
            << r.command << " of " << r.bytes.size() << " bytes";
        if (r.caption) caption = r.caption;
        EXPECT_EQ(test::WindowText(player), caption) << r.command << " of " << r.bytes.size() << " bytes";
    }
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);

    PostMessageW(player, WM_CLOSE, 0, 0);
    ASSERT_EQ(process.Wait(), static_cast<DWORD>(Player::kExitRefusedRecords));
    EXPECT_EQ(ReadWhole(m3u), "#EXTM3U\r\nC:\\Music\\one.mp3\r\nC:\\Music\\\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 "
                             "\xCE\x9E \xE6\x9D\xB1\xE4\xBA\xAC.ogg\r\nC:\\y.wav\r\n");
    DeleteFileW(m3u.c_str());
}

// The shell's description of the media kinds follows the program the user chose; the player's
// own list of what it plays does not, unless the player is too old to answer.
static void RegistersItsMediaTypesAndListsWhatItPlays() {
    std::vector<std::unique_ptr<test::RegistryCleaner>> cleaners;
    auto clean = [&](const std::wstring &key) {
        cleaners.push_back(std::make_unique<test::RegistryCleaner>(HKEY_CURRENT_USER, L"Software\\Classes\\" + key));
        cleaners.push_back(std::make_unique<test::RegistryCleaner>(HKEY_CLASSES_ROOT, key));
    };
    clean(FileAssociations::kProgId);
    clean(FileAssociations::kOtherProgId);
    for (const wchar_t *extension : FileAssociations::kExtensions) clean(extension);
    const std::string list = std::string("MP3\0MP2\0OGG\0FLAC\0WAV\0WMA\0M4A\0AAC\0MID\0MOD\0VOC\0AIFF\0\0", 51) +
                             std::string(1024, '\0');
    const std::string patterns = "*.MP3;*.MP2;*.OGG;*.FLAC;*.WAV;*.WMA;*.M4A;*.AAC;*.MID;*.MOD;*.VOC;*.AIFF";
    const std::string filter = "All supported types (" + patterns + ")" + '\0' + patterns + '\0' + "All files (*.*)" +
                               '\0' + "*.*" + '\0' + '\0';
    struct Case {
        const wchar_t *options, *description;
        bool answers;
    };
    for (const Case &c : {Case{L"", L"Winamp media file", true}, Case{L"--other-default", L"VLC media file", true},
                          Case{L"--older", L"Winamp media file", false}}) {
        const std::wstring m3u = TempFile(L"dirhoard-types-test.m3u");
        PlayerProcess process(m3u, test::BesideThisProgram(L"Winamp.exe"), c.options);
        ASSERT_TRUE(process.started_);
        HWND player = process.Window();
        ASSERT_NE(player, nullptr);
        for (const wchar_t *name : {L"song.mp3", L"SONG.FLAC", L"take.wav"}) {
            SHFILEINFOW info{};
            SHGetFileInfoW(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
            EXPECT_STREQ(info.szTypeName, c.description) << name << " " << c.options;
        }
        SHFILEINFOW info{};
        SHGetFileInfoW(L"notes.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
        EXPECT_STRNE(info.szTypeName, L"Winamp media file");
        // wParam 1 asks for the open dialog's filter; any other for the list, a kilobyte of zeros after it.
        for (WPARAM wParam : {0, 1, 2}) {
            const std::string &answer = wParam == 1 ? filter : list;
            EXPECT_EQ(process.ExtensionAnswer(player, wParam, answer.size()),
                      c.answers ? std::optional<std::string>(answer) : std::nullopt)
                << c.options << " wParam " << wParam;
        }
        PostMessageW(player, WM_CLOSE, 0, 0);
        EXPECT_EQ(process.Wait(), 0u);
        DeleteFileW(m3u.c_str());
    }
}

namespace {
// A player folder of the test's own, as after an install: Winamp.exe, and Plugins beside it.
struct PlayerFolder {
    test::TempTree tree;
    const std::wstring plugins = tree.Folder(L"Winamp\\Plugins");
    const std::wstring program = test::CopyBuilt(L"Winamp.exe", tree.Path(L"Winamp"));
    const std::wstring removalList = tree.Path(L"Winamp\\") + Player::kRemovalList;
    const std::wstring playlist = tree.Path(L"playlist.m3u");

    std::vector<std::wstring> PluginFiles() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((plugins + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }
};

bool Answers(HWND player) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(player, WM_USER, 1, 260, SMTO_NORMAL, 5000, &result) && result != 0;
}

// The player's window once it answers, so once its plugins are loaded; null if it never does.
HWND LoadedPlayer(PlayerProcess &process) {
    HWND player = process.started_ ? process.Window() : nullptr;
    return player && Answers(player) ? player : nullptr;
}

// The test plugins (copies of gen_other.dll) log what happens to them to `file` and answer an
// uninstall with `answer`, both told through the environment the player inherits; each test
// runs in a process of its own. The lines logged.
void LogPlugins(const std::wstring &file, const wchar_t *answer = L"1") {
    SetEnvironmentVariableW(L"DIRHOARD_PLUGIN_LOG", file.c_str());
    SetEnvironmentVariableW(L"DIRHOARD_UNINSTALL_ANSWER", answer);
}
std::vector<std::string> Logged(const std::wstring &file) {
    std::vector<std::string> lines;
    const std::string text = ReadWhole(file);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The logoff pair Windows sends; the player ends itself inside the second, so no answer comes.
void LogOff(HWND player) {
    DWORD_PTR agreed = 0;
    EXPECT_TRUE(SendMessageTimeoutW(player, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &agreed));
    EXPECT_EQ(agreed, TRUE);
    SendMessageTimeoutW(player, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, nullptr);
}
}

// Closed, the window goes first and the plugins quit after it; at logoff they quit while it is
// still there. Either way the last loaded quits first, and none is unloaded before the end.
static void QuitsItsPluginsLastLoadedFirstAndNeverUnloadsThem() {
    struct Case {
        const char *how;
        void (*end)(HWND player);
        const char *quit;
    };
    const Case cases[] = {
        {"closed", [](HWND player) { PostMessageW(player, WM_CLOSE, 0, 0); }, "quit, window gone"},
        {"logoff", LogOff, "quit, window alive"},
    };
    for (const Case &c : cases) {
        PlayerFolder folder;
        for (const wchar_t *name : {L"gen_a.dll", L"gen_b.dll"})
            test::CopyBuilt(L"other\\gen_other.dll", folder.plugins, name);
        const std::wstring log = folder.tree.Path(L"plugins.log");
        LogPlugins(log);
        PlayerProcess process(folder.playlist, folder.program);
        HWND player = LoadedPlayer(process);
        ASSERT_NE(player, nullptr) << "the player did not finish starting";
        c.end(player);
        EXPECT_EQ(process.Wait(), 0u) << c.how;

        // The folder's listing decides which loads first; the process's end unloads both in any order.
        std::vector<std::string> lines = Logged(log);
        ASSERT_EQ(lines.size(), 6u) << c.how << ": " << testing::PrintToString(lines);
        const std::string first = lines[0].substr(0, lines[0].find(' '));
        const std::string second = first == "gen_a.dll" ? "gen_b.dll" : "gen_a.dll";
        std::sort(lines.begin() + 4, lines.end());
        const std::vector<std::string> expected = {first + " init", second + " init", second + " " + c.quit,
                                                   first + " " + c.quit, "gen_a.dll ends loaded",
                                                   "gen_b.dll ends loaded"};
        EXPECT_EQ(lines, expected) << c.how;
    }
}

// The player asks first, then the plugin, from its preferences window. 0 (also what a plugin
// without the entry counts as): it restarts, and the new process deletes the file before it
// loads plugins; 1: quit, unloaded and deleted at once; anything else: nothing.
static void UninstallAsksFirstThenCarriesOutThePluginsAnswer() {
    struct Case {
        const char *what;
        const wchar_t *answer;
        std::vector<std::string> log;
        bool restarts, deleted;
    };
    const Case cases[] = {
        {"1: at once", L"1", {"init", "uninstall from Winamp Preferences", "quit, window alive", "freed"}, false,
         true},
        {"2: kept", L"2", {"init", "uninstall from Winamp Preferences", "quit, window gone", "ends loaded"}, false,
         false},
        {"0: with a restart", L"0",
         {"init", "uninstall from Winamp Preferences", "quit, window gone", "ends loaded"}, true, true},
    };
    for (const Case &c : cases) {
        PlayerFolder folder;
        const std::wstring plugin = test::CopyBuilt(L"other\\gen_other.dll", folder.plugins, L"gen_other.dll");
        const std::wstring log = folder.tree.Path(L"plugins.log");
        LogPlugins(log, c.answer);
        PlayerProcess first(folder.playlist, folder.program);
        HWND player = LoadedPlayer(first);
        ASSERT_NE(player, nullptr) << "the player did not finish starting";
        std::vector<test::CaughtBox> questions;
        {
            test::BoxCatcher catcher(Player::kQuestionTitle, [](const std::wstring &) { return IDYES; }, first.Id());
            PostMessageW(player, WM_COMMAND, Player::kUninstallFirst, 0);
            EXPECT_TRUE(test::PollUntil([&] { return !catcher.Boxes().empty(); })) << c.what << ": no question";
            // Answered and gone, so what follows comes after the uninstall command was handled.
            EXPECT_TRUE(test::PollUntil(
                [&] { return !test::WaitForMessageBox(Player::kQuestionTitle, nullptr, 0, first.Id()); }));
            questions = catcher.Boxes();
        }
        EXPECT_EQ(questions, (std::vector<test::CaughtBox>{{L"Uninstall the plug-in \"Another plugin\"?", true}}))
            << c.what;
        std::unique_ptr<PlayerProcess> restarted;
        if (c.restarts) {
            EXPECT_EQ(first.Wait(), 0u) << c.what;
            restarted = std::make_unique<PlayerProcess>(PlayerProcess::StartedBy(first.Id()));
        }
        PlayerProcess &running = restarted ? *restarted : first;
        player = running.Window();
        ASSERT_TRUE(Answers(player)) << c.what << ": the player goes on, or the new one started";
        PostMessageW(player, WM_CLOSE, 0, 0);
        EXPECT_EQ(running.Wait(), 0u) << c.what;
        EXPECT_EQ(test::FileExists(plugin), !c.deleted) << c.what;
        EXPECT_FALSE(test::FileExists(folder.removalList)) << c.what;
        std::vector<std::string> expected;
        for (const std::string &line : c.log) expected.push_back("gen_other.dll " + line);
        EXPECT_EQ(Logged(log), expected) << c.what;
    }
}

// The host's own uninstall, as a user does it: "Uninstall" in the player, yes to the player
// and to the host; the player restarts. Then nothing of the plugin is loaded, registered or
// left in Plugins but the renamed DirhoardEx.dll that the system deletes when it next starts.
TEST(StandInPlayer, AfterUninstallingTheHostAndARestartNothingOfItIsLoadedOrRegistered) {
    PlayerFolder folder;
    const std::wstring host = test::CopyBuilt(L"gen_dirhoardex.dll", folder.plugins);
    const std::wstring server = test::CopyBuilt(L"DirhoardEx.dll", folder.plugins);
    ASSERT_EQ(test::RunRegsvr32(false, server), 0u);  // as the setup program does
    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::SetSetting(L"Config", L"HotKey", L"J");
    PlayerProcess first(folder.playlist, folder.program);
    ASSERT_TRUE(first.started_);
    HWND player = first.Window();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(test::PollUntil([&] { return first.HasLoaded(server); })) << "the plugin did not start";

    std::vector<test::CaughtBox> boxes;
    {
        const auto yes = [](const std::wstring &) { return IDYES; };
        test::BoxCatcher question(Player::kQuestionTitle, yes, first.Id());
        test::BoxCatcher catcher(L"DirhoardEx", yes, first.Id());
        PostMessageW(player, WM_COMMAND, Player::kUninstallFirst, 0);
        // The host has answered once the player lists it for removal; then the player restarts.
        EXPECT_TRUE(test::PollUntil([&] { return !Removal::Pending(folder.removalList).empty(); }));
        EXPECT_EQ(first.Wait(), 0u);
        boxes = catcher.Boxes();
    }
    EXPECT_EQ(boxes.size(), 1u) << "keep the settings; nothing failed";
    PlayerProcess second(PlayerProcess::StartedBy(first.Id()));
    ASSERT_TRUE(second.started_) << "the player did not restart";
    player = LoadedPlayer(second);
    ASSERT_NE(player, nullptr) << "the player did not finish starting";
    EXPECT_FALSE(test::FileExists(host)) << "the restarted player deletes the host";
    EXPECT_FALSE(second.HasLoaded(host));
    EXPECT_FALSE(second.HasLoaded(server));
    EXPECT_FALSE(second.HasLoaded(server + L".removed"));
    EXPECT_FALSE(test::FileExists(folder.removalList));
    PostMessageW(player, WM_CLOSE, 0, 0);
    EXPECT_EQ(second.Wait(), 0u);
    EXPECT_EQ(test::RegisteredFile(), L"");
    EXPECT_FALSE(test::KeyExists(HKEY_CLASSES_ROOT, L"DirhoardEx.clsDirhoardEx"));
    EXPECT_EQ(folder.PluginFiles(), std::vector<std::wstring>{L"DirhoardEx.dll.removed"});
    const auto atReboot = test::DeletedAtReboot();
    EXPECT_NE(std::find(atReboot.begin(), atReboot.end(), server + L".removed"), atReboot.end());
    EXPECT_EQ(test::ReadSetting(L"Config", L"HotKey"), L"J") << "kept, as the user chose";
    test::ForgetDeletionsAtReboot(folder.tree.Root());
}

static void NeverLoadsAnUninstalledPluginThatCouldNotBeDeletedAtItsStart() {
    PlayerFolder folder;
    const std::wstring plugin = test::CopyBuilt(L"other\\gen_other.dll", folder.plugins, L"gen_other.dll");
    ASSERT_TRUE(Removal::Schedule(folder.removalList, plugin));
    // Another program has the file open and lets nobody delete it.
    FileHandle held(CreateFileW(plugin.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    PlayerProcess process(folder.playlist, folder.program);
    HWND player = LoadedPlayer(process);
    ASSERT_NE(player, nullptr) << "the player did not finish starting";
    EXPECT_FALSE(process.HasLoaded(plugin));
    PostMessageW(player, WM_CLOSE, 0, 0);
    EXPECT_EQ(process.Wait(), 0u);
    EXPECT_TRUE(test::FileExists(plugin));
    EXPECT_EQ(Removal::Pending(folder.removalList), std::vector<std::wstring>{plugin}) << "tried again next time";
}

// The stand-in player behaves as the player where a plugin can tell; what the plugin does in it
// is tested above and in HostPluginTest.
TEST(StandInPlayer, BehavesAsThePlayer) {
    const std::pair<const char *, void (*)()> checks[] = {
        {"appends well-ended records, shows the last title, refuses the rest",
         AppendsWellEndedRecordsShowsTheLastTitleAndRefusesTheRest},
        {"registers its media types and lists what it plays", RegistersItsMediaTypesAndListsWhatItPlays},
        {"quits its plugins last loaded first and never unloads them", QuitsItsPluginsLastLoadedFirstAndNeverUnloadsThem},
        {"uninstall asks first, then carries out the plugin's answer", UninstallAsksFirstThenCarriesOutThePluginsAnswer},
        {"never loads an uninstalled plugin it could not delete",
         NeverLoadsAnUninstalledPluginThatCouldNotBeDeletedAtItsStart},
    };
    for (const auto &[what, check] : checks) {
        SCOPED_TRACE(what);
        check();
    }
}
