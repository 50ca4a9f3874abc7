// The folder browser: "Add Dir", the check box, "Finish", the stored folder, a walk held at a
// slow folder, and what the player says it plays.
#include "BrowserFixture.h"

#include <atomic>
#include "BoxCatcher.h"
#include "win32/Handles.h"
#include "win32/Module.h"
#include "SecondThread.h"
#include "folders/FolderBrowser.h"

TEST_F(FolderBrowser, AddDirKeepsItOpenTheCheckBoxSwitchesRecursionAndFinishRemembers) {
    Settings::StorePath(tree.Path(L"A"));
    Settings::StoreRecurse(true);
    test::SettleAccessTimes(tree.Path(L"A"));
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        HWND addDir = Button(dialog, L"Add Dir"), finish = Button(dialog, L"Finish");
        HWND check = Button(dialog, L"Recurse subdirectories");
        s.addDir = addDir != nullptr;
        s.finish = finish != nullptr;
        if (!addDir || !finish || !check) return;
        s.checked = SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
        GetWindowRect(check, &s.checkBox);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&s.checkBox), 2);
        // A second open while this one runs, through the test thread's message loop.
        SendMessageW(opener, WM_APP, 0, 0);
        s.dialogsAfterSecondOpen = test::CountWindows(kCaption);
        test::PressAddDir(dialog);
        s.openAfterAddDir = IsWindowVisible(dialog) != FALSE;
        test::Click(check);
        test::PressAddDir(dialog);
        test::Click(finish);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.closed);
    EXPECT_TRUE(seen.addDir);
    EXPECT_TRUE(seen.finish);
    EXPECT_TRUE(seen.checked);
    EXPECT_EQ(seen.checkBox.left, 15);
    EXPECT_EQ(seen.checkBox.top, 11);
    EXPECT_EQ(seen.checkBox.right - seen.checkBox.left, 250);
    EXPECT_EQ(seen.checkBox.bottom - seen.checkBox.top, 39);
    EXPECT_EQ(seen.dialogsAfterSecondOpen, 1);
    EXPECT_TRUE(seen.openAfterAddDir);
    EXPECT_EQ(player.Paths(), (Paths{b1, a1, a2, a1, a2}));
    EXPECT_EQ(Settings::LoadPath(), tree.Path(L"A"));
    EXPECT_FALSE(Settings::LoadRecurse());
    EXPECT_EQ(modDirhoardEx::PrevDialogProc, nullptr);

    // The next opening comes back with the folder and the unticked box.
    player.Clear();
    const Seen again = Open([&](HWND dialog, Seen &s) {
        HWND check = Button(dialog, L"Recurse subdirectories");
        s.checked = check && SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
        test::PressAddDir(dialog);
        if (HWND finish = Button(dialog, L"Finish")) test::Click(finish);
    });
    ASSERT_TRUE(again.found);
    EXPECT_FALSE(again.checked);
    EXPECT_EQ(player.Paths(), (Paths{a1, a2}));
}

// A selection without a file-system path adds nothing, not the folder selected before it.
TEST_F(FolderBrowser, AddDirWithTheComputerSelectedSendsNothing) {
    Settings::StorePath(tree.Path(L"A"));
    Settings::StoreRecurse(false);
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        HWND addDir = Button(dialog, L"Add Dir"), finish = Button(dialog, L"Finish");
        s.selected = test::SelectFolder(dialog, tree.Path(L"A")) && test::SelectFolder(dialog, L"");
        s.pressed = addDir && IsWindowEnabled(addDir);
        if (s.pressed) test::Click(addDir);
        if (finish) test::Click(finish);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.selected);
    // Windows disables "Add Dir" for the computer; Wine's dialog enables it again after every
    // selection change (broken()): where it can be pressed, the press adds nothing.
    EXPECT_TRUE(seen.closed);
    EXPECT_TRUE(player.Playlist().empty()) << testing::PrintToString(player.Paths());
}

// The player may pump messages while it takes a record; a press that arrives then is ignored,
// and the walk in flight goes on with intact records.
TEST_F(FolderBrowser, APressWhileAWalkRunsIsIgnored) {
    Settings::StorePath(tree.Path(L"A"));
    Settings::StoreRecurse(false);
    std::atomic<HWND> addDir{nullptr};
    int nested = 0;
    player.onPlayFile = [&] {
        if (nested++ == 0 && addDir) SendMessageW(addDir, BM_CLICK, 0, 0);
    };
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        addDir = Button(dialog, L"Add Dir");
        HWND finish = Button(dialog, L"Finish");
        s.selected = test::SelectFolder(dialog, tree.Path(L"A")) != nullptr;
        if (s.selected) test::PressAddDir(dialog);
        if (finish) test::Click(finish);
    });
    player.onPlayFile = nullptr;
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.selected);
    EXPECT_EQ(player.Paths(), (Paths{a1, a2}));
    EXPECT_EQ(modDirhoardEx::PlayFileRecord.lpData, nullptr);
}

TEST_F(WalkingBrowser, AWalkShowsItsProgressAndKeepsTheDialogLiveAndUsable) {
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        if (!(s.held = StartHeldWalk(dialog, s))) return;
        HWND addDir = Button(dialog, L"Add Dir"), check = Button(dialog, L"Recurse subdirectories");
        s.addDirEnabled = IsWindowEnabled(addDir) != FALSE;
        s.checkEnabled = IsWindowEnabled(check) != FALSE;
        s.caption = test::WindowText(dialog);
        s.canUnload = Module::CanUnload();
        s.cursorSet = SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        // The hotkey opens no second browser while the walk runs.
        SendMessageW(opener, WM_APP, 0, 0);
        s.dialogsAfterSecondOpen = test::CountWindows(kCaption);
        held.Gate()->Open();
        s.endedOpen = test::WaitForTheEnd(dialog) && IsWindowVisible(dialog);
        s.progress = test::ProgressText(dialog);
    });
    ASSERT_TRUE(seen.found);
    ASSERT_TRUE(seen.held) << testing::PrintToString(seen.progress);
    EXPECT_TRUE(seen.addDirEnabled);
    EXPECT_TRUE(seen.checkEnabled);
    EXPECT_EQ(seen.caption, kCaption);
    EXPECT_FALSE(seen.canUnload);
    EXPECT_EQ(seen.cursorSet, TRUE);
    EXPECT_EQ(seen.dialogsAfterSecondOpen, 1);
    EXPECT_TRUE(seen.endedOpen);
    EXPECT_EQ(seen.progress, L"Added 3 files.");
    EXPECT_TRUE(seen.closed);
    EXPECT_TRUE(test::PumpUntil([] { return Module::CanUnload(); }));
    EXPECT_EQ(modDirhoardEx::PlayFileRecord.lpData, nullptr);
}

// Wine's dialog enables OK after every selection by itself, so the decision to enable
// "Add Dir" again is checked against a plain window standing in for the dialog.
TEST(BrowseSelection, AddDirIsEnabledAgainWhenARealFolderFollowsAVirtualOne) {
    test::StandInPlayer stand;
    test::TempTree tree;
    const std::wstring folder = tree.Folder(L"Real");
    ItemList computer, real;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.Put()), S_OK);
    ASSERT_EQ(SHParseDisplayName(folder.c_str(), nullptr, real.Put(), 0, nullptr), S_OK);
    std::wcscpy(modDirhoardEx::SelectedPath, L"C:\\Before");
    const auto enables = [&] {
        std::vector<LPARAM> found;
        for (const auto &m : stand.Messages())
            if (m.message == BFFM_ENABLEOK) found.push_back(m.lParam);
        return found;
    };

    folders::FolderBrowser browser(folders::Lister::Platform());
    browser.OnSelectionChanged(stand.Window(), computer.Get());
    EXPECT_EQ(enables(), (std::vector<LPARAM>{0}));
    EXPECT_EQ(modDirhoardEx::PathIn(modDirhoardEx::SelectedPath), L"C:\\Before");

    browser.OnSelectionChanged(stand.Window(), real.Get());
    EXPECT_EQ(enables(), (std::vector<LPARAM>{0, 1}));
    EXPECT_EQ(modDirhoardEx::PathIn(modDirhoardEx::SelectedPath), folder);

    browser.OnSelectionChanged(stand.Window(), real.Get());
    EXPECT_EQ(enables().size(), 2u);
}

namespace {
// What one answer of the player to the extension-list query makes "Add Dir" send.
struct ExtensionAnswer {
    const char *what;
    std::function<LRESULT()> answer;
    bool listed;  // the answer lists MP3
};

const char kStaticList[] = "MP3\0\0";
}

// Since Windows 8 the program the user chose to open a kind decides how the shell describes it;
// the player itself says which kinds it plays. An answer that is no block counts as none (how a
// block is read: PlayerExtensionsTest).
TEST_F(FolderBrowser, ThePlayersOwnListAddsWhatItPlaysWhateverTheShellCallsIt) {
    using namespace std::string_literals;
    const test::MediaType other{L".mp3", L"VLC media file (.mp3)"};
    const Paths listed{tree.File(L"Music\\dir.mp3\\in.mp3"), tree.File(L"Music\\sub\\s.mp3"),
                       tree.File(L"Music\\a.mp3"), tree.File(L"Music\\b.Mp3")};
    const std::wstring typed = tree.File(L"Music\\e.dhm");
    for (const wchar_t *name : {L"Music\\c", L"Music\\d.", L"Music\\f.txt", L"Music\\g.mp3x"}) tree.File(name);
    const std::vector<ExtensionAnswer> answers = {
        {"the player's list", test::StandInPlayer::Block("ogg\0mp3\0\0"s), true},
        {"no answer: an older player", [] { return LRESULT{0}; }, false},
        {"a block of no size", [] { return reinterpret_cast<LRESULT>(GlobalAlloc(GMEM_FIXED, 0)); }, false},
        {"not a block", [] { return reinterpret_cast<LRESULT>(kStaticList); }, false},
        {"a small number", [] { return LRESULT{1}; }, false},
    };
    Settings::StorePath(tree.Path(L"Music"));
    Settings::StoreRecurse(true);
    std::vector<Paths> sent(answers.size());
    size_t asked = 0;
    const Seen seen = Open([&](HWND dialog, Seen &s) {
        HWND addDir = Button(dialog, L"Add Dir");
        s.selected = addDir && test::SelectFolder(dialog, tree.Path(L"Music"));
        for (size_t i = 0; i < answers.size() && s.selected; ++i) {
            OnTestThread([&] {
                player.Clear();
                player.answerExtensions = answers[i].answer;
            });
            test::PressAddDir(dialog);
            OnTestThread([&] {
                sent[i] = player.Paths();
                for (const auto &m : player.Messages()) asked += m.message == WM_USER && m.wParam == 0 && m.lParam == 292;
            });
        }
    });
    ASSERT_TRUE(seen.selected);
    EXPECT_EQ(asked, answers.size()) << "once per press";
    Paths all = listed;
    all.push_back(typed);
    for (size_t i = 0; i < answers.size(); ++i)
        EXPECT_EQ(sent[i], answers[i].listed ? all : Paths{typed}) << answers[i].what;
}

namespace {
class QueuingBrowser : public WalkingBrowser {};
}

// A press during a walk waits for it, with the box as it was at that press, and each folder
// once; whatever stops the walk takes what waits with it (Escape: the keyboard's own test).
TEST_F(QueuingBrowser, APressDuringAWalkWaitsItsTurn) {
    const std::wstring d1 = tree.File(L"D\\d1.dhm"), e1 = tree.File(L"D\\E\\e1.dhm");
    const auto press = [&](HWND dialog, const std::wstring &folder) {
        return test::SelectFolder(dialog, folder) && (test::Click(Button(dialog, L"Add Dir")), true);
    };
    const std::wstring b = tree.Path(L"A\\B"), d = tree.Path(L"D");
    struct Case {
        const char *what;
        std::function<bool(HWND dialog, const test::HeldWalk &walked)> during;  // while the walk is held
        Paths after;                              // what follows the first walk
        std::wstring line;                        // once all is over
        bool open = true;
    };
    const std::vector<Case> cases = {
        {"two folders, in the order pressed", [&](HWND w, auto &) { return press(w, d) && press(w, b); }, Paths{e1, d1, b1},
         L"Added 6 files."},
        {"the folder walked, or one waiting, once",
         [&](HWND w, auto &walked) { return press(w, walked.Folder()) && press(w, b) && press(w, b); }, Paths{b1}, L"Added 4 files."},
        {"the box as it was at the press",
         [&](HWND w, auto &) {
             HWND box = Button(w, L"Recurse subdirectories");
             test::Click(box);
             const bool pressed = press(w, d);
             test::Click(box);
             return pressed;
         },
         Paths{d1}, L"Added 4 files."},
        {"Finish stops the walk and what waits, and closes",
         [&](HWND w, auto &) { return press(w, b) && (test::Click(Button(w, L"Finish")), true); }, Paths{}, L"", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        player.Clear();
        test::HeldWalk again;
        listing = again.Gate();
        Settings::StorePath(again.Folder());
        Settings::StoreRecurse(true);
        std::wstring line;
        bool open = false;
        const Seen seen = Open([&](HWND dialog, Seen &s) {
            HWND addDir = Button(dialog, L"Add Dir");
            s.held = addDir && test::SelectFolder(dialog, again.Folder()) && (test::Click(addDir), true) &&
                     again.Gate()->Reached(test::kTimeoutMs) && c.during(dialog, again);
            if (!s.held) return;
            again.Gate()->Open();
            test::PollUntil([&] { return !IsWindow(dialog) || test::WalksOver(dialog); });
            open = IsWindow(dialog) != FALSE;
            line = test::ProgressText(dialog);
        });
        ASSERT_TRUE(seen.held);
        Paths expected = c.line.starts_with(L"Added") ? again.Files() : Paths{again.First()};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(player.Paths(), expected);
        EXPECT_EQ(open, c.open);
        EXPECT_EQ(line, c.line);
        // Stored once, when it closed, as the box and the tree stood then.
        if (!c.open) {
            EXPECT_EQ(Settings::LoadPath(), b);
        }
        EXPECT_TRUE(test::PumpUntil([] { return Module::CanUnload(); })) << "the walks' workers ended";
    }
}

namespace {
HANDLE checkAnswers = nullptr;
// A disk that answers once it has spun up (asleep, or an optical drive).
DWORD WINAPI AnswersLate(LPCWSTR path) {
    WaitForSingleObject(checkAnswers, 3 * test::kTimeoutMs);
    return GetFileAttributesW(path);
}
}

// The stored folder is checked off the player's thread: the browser opens while the disk has
// not answered, and its tree goes to the folder, or where it was, when the answer comes.
TEST_F(FolderBrowser, OpensAtOnceAndGoesToTheStoredFolderWhenItsDiskAnswers) {
    test::SettleAccessTimes(tree.Path(L"A\\B"));
    probe.attributes = AnswersLate;
    // Other tools store the extended form, \\?\C:\...
    for (const std::wstring &stored :
         {tree.Path(L"A\\B"), tree.Path(L"A\\B\\Gone\\Deeper"), L"\\\\?\\" + tree.Path(L"A\\B")}) {
        SCOPED_TRACE(testing::PrintToString(stored));
        Settings::StorePath(stored);
        checkAnswers = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        bool openedFirst = false;
        std::wstring selected;
        test::SecondThread user([&] {
            HWND dialog = test::WaitForWindow(kCaption);
            openedFirst = dialog != nullptr;
            SetEvent(checkAnswers);
            if (!dialog) dialog = test::WaitForWindow(kCaption);
            test::PollUntil([&] { return (selected = test::SelectedInTree(dialog)) == L"B"; });
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        modDirhoardEx::ShowFolderBrowser(listing, probe);
        user.Join();
        CloseHandle(checkAnswers);
        EXPECT_TRUE(openedFirst) << "the browser waited for the disk";
        EXPECT_EQ(selected, L"B");
    }
}
