// The walk behind "Add Dir", on real folders under %TEMP%, sending to a stand-in player.
#include <gtest/gtest.h>

#include <algorithm>
#include "CodePage.h"
#include "BoxCatcher.h"
#include "folders/FolderWalker.h"
#include "folders/LongPath.h"
#include "folders/UnreadableNotice.h"
#include "MediaType.h"
#include "StandInPlayer.h"
#include "SendingSink.h"
#include "TempTree.h"
#include "WalkWatcher.h"
#include "folders/modDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

using folders::FolderWalker;
using folders::WalkResult;

namespace {
using Paths = std::vector<std::wstring>;

// Which file a path opens: volume and index, whatever form the path takes.
std::wstring FileId(const std::wstring &path) {
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return ok ? std::to_wstring(info.dwVolumeSerialNumber) + L":" + std::to_wstring(info.nFileIndexHigh) + L":" +
                    std::to_wstring(info.nFileIndexLow)
              : L"unopenable " + path;
}

std::string Narrow(const std::wstring &text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// Writes the file's own path into it, through the exact form that always names it.
bool Stamp(const std::wstring &file) {
    HANDLE h = CreateFileW((L"\\\\?\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const std::string text = Narrow(file);
    DWORD written = 0;
    const bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == text.size();
}

// What a path, as the player gets it, opens; empty when it opens no file.
std::string ReadStamp(const std::wstring &path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    char text[4096];
    DWORD read = 0;
    const bool ok = GetFileType(h) == FILE_TYPE_DISK && ReadFile(h, text, sizeof text, &read, nullptr);
    CloseHandle(h);
    return ok ? std::string(text, read) : std::string();
}

class Walk : public testing::Test {
protected:
    void SetUp() override { modGlobalDefinitions::hWndWinamp = player.Window(); }
    void TearDown() override { modGlobalDefinitions::hWndWinamp = nullptr; }

    WalkResult Run(const std::wstring &folder, bool recurse, size_t budget = FolderWalker::kLevelBudget) {
        FolderWalker walker(sink, *folders::Lister::Platform(), budget);
        return walker.Walk(folder, recurse);
    }
    // "Add Dir" on `folder`, waited for to its end and its warning.
    void Press(const std::wstring &folder) {
        modDirhoardEx::RecurseSubfolders = true;
        test::WalkWatcher watch;
        ASSERT_TRUE(modDirhoardEx::AddFolderToPlaylist(folder, modDirhoardEx::RecurseSubfolders, watch));
        ASSERT_TRUE(watch.WaitForEnd(60000));
    }
    // The sample folder: A with a1, a2 and subfolder B with b1.
    void MakeSample() {
        a1 = tree.File(L"A\\a1.dhm");
        a2 = tree.File(L"A\\a2.dhm");
        b1 = tree.File(L"A\\B\\b1.dhm");
    }

    test::MediaType media{L".dhm", L"Winamp media file"};
    test::StandInPlayer player;
    test::SendingSink sink{player.Window()};
    test::TempTree tree;
    std::wstring a1, a2, b1;
};
}

TEST_F(Walk, SubfoldersComeFirstThenTheFolderOwnFiles) {
    MakeSample();
    const WalkResult result = Run(tree.Path(L"A"), true);
    EXPECT_EQ(player.Paths(), (Paths{b1, a1, a2}));
    EXPECT_EQ(result.sent, 3u);
    EXPECT_EQ(result.unreadable, 0u);
}

TEST_F(Walk, WithoutRecursionOnlyTheFolderOwnFiles) {
    MakeSample();
    Run(tree.Path(L"A"), false);
    EXPECT_EQ(player.Paths(), (Paths{a1, a2}));
    player.Clear();
    tree.File(L"Only\\Deeper\\x.dhm");
    Run(tree.Path(L"Only"), false);
    EXPECT_TRUE(player.Paths().empty());
}

TEST_F(Walk, EmptyFolderSendsNothing) {
    const WalkResult result = Run(tree.Folder(L"Empty"), true);
    EXPECT_TRUE(player.Playlist().empty());
    EXPECT_EQ(result.unreadable, 0u);
}

TEST_F(Walk, OnlyAnExactTypeMatchIsSent) {
    test::MediaType lower{L".dhl", L"winamp media file"};
    test::MediaType padded{L".dhp", L"Winamp media file "};
    const std::wstring hit = tree.File(L"T\\hit.dhm");
    for (const wchar_t *name : {L"T\\lower.dhl", L"T\\padded.dhp", L"T\\plain.txt", L"T\\noextension", L"T\\hit.dhmx"})
        tree.File(name);
    Run(tree.Path(L"T"), true);
    EXPECT_EQ(player.Paths(), (Paths{hit}));
}

TEST_F(Walk, RecordsCarryTheAnsiPathAndItsZeroByte) {
    const test::CodePageLetter letter = test::LetterInCodePage();
    const std::wstring file = tree.File(L"Caf" + letter.text + L"\\song.dhm");
    Run(tree.Path(L"Caf" + letter.text), true);
    ASSERT_EQ(player.Playlist().size(), 1u);
    const auto &sent = player.Playlist()[0];
    EXPECT_EQ(sent.command, 100u);
    EXPECT_EQ(sent.path, file);
    EXPECT_EQ(sent.ansi.size(), file.size() - 1 + letter.bytes);
    EXPECT_EQ(sent.bytes, sent.ansi.size() + 1);
}

// The shell is asked once per kind, and at the next press not at all: its answers are kept.
TEST_F(Walk, TheShellIsAskedOncePerKindAndNotAtTheNextPress) {
    for (int i = 0; i < 5; ++i) tree.File(L"M\\m" + std::to_wstring(i) + L".dhm");
    tree.File(L"M\\other.txt");
    std::vector<size_t> asked;
    for (int press = 0; press < 2; ++press) {
        test::WalkWatcher watch;
        ASSERT_TRUE(modDirhoardEx::AddFolderToPlaylist(tree.Path(L"M"), true, watch));
        ASSERT_TRUE(watch.WaitForEnd());
        asked.push_back(watch.outcome->result.lookups);
    }
    EXPECT_EQ(asked, (std::vector<size_t>{2, 0}));
    EXPECT_EQ(player.Playlist().size(), 10u);
}

// Kept from press to press, the shell's answers still follow the registry: a kind whose type
// changes counts from the next press on.
TEST_F(Walk, TheShellsAnswersKeptBetweenPressesFollowATypeThatChanged) {
    for (int i = 0; i < 3; ++i) tree.File(L"M\\m" + std::to_wstring(i) + L".dhm");
    struct Case {
        const wchar_t *type;
        size_t sent;
    };
    for (const Case &c : {Case{L"Winamp media file", 3}, Case{L"Something else", 0}, Case{L"Winamp media file", 3}}) {
        media.Describe(c.type);
        player.Clear();
        Press(tree.Path(L"M"));
        EXPECT_EQ(player.Playlist().size(), c.sent) << testing::PrintToString(std::wstring(c.type));
    }
}

TEST_F(Walk, AnExtensionThePlayerListsNeedsNoShellLookUp) {
    test::MediaType other{L".dhx", L"VLC media file (.dhx)"};
    for (int i = 0; i < 5; ++i) tree.File(L"M\\m" + std::to_wstring(i) + L".dhx");
    tree.File(L"M\\other.txt");
    const std::string block("DHX\0\0", 5);
    FolderWalker walker(sink);
    EXPECT_EQ(walker.Walk(tree.Path(L"M"), true, WinampHost::ExtensionList::Parse(block.data(), block.size())).sent, 5u);
    EXPECT_EQ(walker.Types().Lookups(), 1u);  // other.txt's
}

TEST_F(Walk, AFolderTooBigToKeepIsListedAgainInTheSameOrder) {
    for (const wchar_t *name : {L"R\\r1.dhm", L"R\\r2.dhm", L"R\\S1\\s.dhm", L"R\\S2\\t.dhm", L"R\\S2\\U\\u.dhm"})
        tree.File(name);
    Run(tree.Path(L"R"), true);
    const Paths kept = player.Paths();
    ASSERT_EQ(kept.size(), 5u);
    player.Clear();
    Run(tree.Path(L"R"), true, 4);  // room for no name at all
    EXPECT_EQ(player.Paths(), kept);
}

TEST_F(Walk, AddDirWarnsOnceAboutFoldersItCouldNotRead) {
    MakeSample();
    tree.File(L"A\\C\\c1.dhm");
    HANDLE lockB = CreateFileW(tree.Path(L"A\\B").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    HANDLE lockC = CreateFileW(tree.Path(L"A\\C").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    test::BoxCatcher boxes;
    Press(tree.Path(L"A"));
    CloseHandle(lockB);
    CloseHandle(lockC);
    const std::vector<test::CaughtBox> warned{
        {L"2 folders could not be read and were skipped:\n\n" + tree.Path(L"A\\B") + L"\n" + tree.Path(L"A\\C"), true}};
    EXPECT_EQ(boxes.Boxes(), warned);
    EXPECT_EQ(player.Paths(), (Paths{a1, a2}));
}

TEST_F(Walk, NamesOnlyTheFirstFewUnreadableFolders) {
    WalkResult result;
    result.unreadable = 7;
    result.firstUnreadable = {L"C:\\1", L"C:\\2", L"C:\\3", L"C:\\4", L"C:\\5"};
    EXPECT_EQ(folders::UnreadableText(result),
              L"7 folders could not be read and were skipped:\n\nC:\\1\nC:\\2\nC:\\3\nC:\\4\nC:\\5\n... and 2 more");
}

// Wine follows Unix symbolic links as folders, as Windows follows junctions.
TEST_F(Walk, ALinkBackToAnOuterFolderIsNotEnteredAgain) {
    MakeSample();
    ASSERT_TRUE(test::MakeUnixSymlink(tree.Path(L"A"), tree.Path(L"A\\B\\loop")));
    ASSERT_NE(GetFileAttributesW(tree.Path(L"A\\B\\loop\\a1.dhm").c_str()), INVALID_FILE_ATTRIBUTES);
    const WalkResult result = Run(tree.Path(L"A"), true);
    EXPECT_EQ(player.Paths(), (Paths{b1, a1, a2}));
    EXPECT_EQ(result.unreadable, 0u);
}

// Below a link every folder may be one the walk is in, not only the link itself.
TEST_F(Walk, ALinkToTheParentOfTheSelectedFolderDoesNotWalkItTwice) {
    MakeSample();
    ASSERT_TRUE(test::MakeUnixSymlink(tree.Root(), tree.Path(L"A\\B\\up")));
    ASSERT_NE(GetFileAttributesW(tree.Path(L"A\\B\\up\\A\\a1.dhm").c_str()), INVALID_FILE_ATTRIBUTES);
    const WalkResult result = Run(tree.Path(L"A"), true);
    EXPECT_EQ(player.Paths(), (Paths{b1, a1, a2}));
    EXPECT_EQ(result.unreadable, 0u);
}

// Within one press each folder is walked once, whatever links lead to it: a link into the
// selected tree, two links to one folder outside it, a link into a folder walked already.
TEST_F(Walk, EveryFolderIsWalkedOnceWhateverLinksLeadToIt) {
    MakeSample();
    const std::wstring x1 = tree.File(L"X\\x1.dhm"), y1 = tree.File(L"X\\Y\\y1.dhm");
    ASSERT_TRUE(test::MakeUnixSymlink(tree.Path(L"A\\B"), tree.Path(L"A\\toB")));
    ASSERT_TRUE(test::MakeUnixSymlink(tree.Path(L"X\\Y"), tree.Path(L"A\\toY")));
    ASSERT_TRUE(test::MakeUnixSymlink(tree.Path(L"X"), tree.Path(L"A\\toX1")));
    ASSERT_TRUE(test::MakeUnixSymlink(tree.Path(L"X"), tree.Path(L"A\\B\\toX2")));
    // Twelve levels of two links each to the next would send c1 4,096 times.
    std::wstring chain = L"C0";
    for (int level = 1; level <= 12; ++level) {
        const std::wstring next = L"C" + std::to_wstring(level);
        tree.Folder(next);
        for (const wchar_t *name : {L"\\p", L"\\q"})
            ASSERT_TRUE(test::MakeUnixSymlink(tree.Path(next), tree.Path(level == 1 ? L"A" : chain) + name));
        chain = next;
    }
    const std::wstring c12 = tree.File(chain + L"\\c12.dhm");
    const WalkResult result = Run(tree.Path(L"A"), true);
    const Paths sent = player.Paths();
    ASSERT_EQ(sent.size(), 6u) << testing::PrintToString(sent);
    Paths files;
    for (const auto &path : sent) files.push_back(FileId(path));
    Paths expected{FileId(a1), FileId(a2), FileId(b1), FileId(x1), FileId(y1), FileId(c12)};
    std::sort(files.begin(), files.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
    EXPECT_EQ(result.unreadable, 0u);
}

// Names that only the exact form of a path carries: a trailing dot or blank, a device's name.
// Each record opens the very file it names, also when such a folder is the selected one.
TEST_F(Walk, NamesTheOrdinaryFormCannotCarryGoInAFormThatOpensTheSameFile) {
    const Paths files{tree.File(L"E\\R.E.M.\\song.dhm"), tree.File(L"E\\Blank \\b.dhm"),
                      tree.File(L"E\\NUL\\n.dhm"), tree.File(L"E\\CON.dhm"), tree.File(L"E\\aux.dhm")};
    for (const auto &file : files) ASSERT_TRUE(Stamp(file)) << testing::PrintToString(file);
    Run(tree.Path(L"E"), true);
    ASSERT_EQ(player.Playlist().size(), files.size());
    std::vector<std::string> stamps, expected;
    for (const auto &sent : player.Playlist()) stamps.push_back(ReadStamp(sent.path));
    for (const auto &file : files) expected.push_back(Narrow(file));
    std::sort(stamps.begin(), stamps.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(stamps, expected);

    player.Clear();
    Run(tree.Path(L"E\\R.E.M."), true);
    ASSERT_EQ(player.Playlist().size(), 1u);
    EXPECT_EQ(ReadStamp(player.Playlist()[0].path), Narrow(files[0]));
}

TEST(ExactName, DevicesAndTrailingDotsOrBlanksButNotLookAlikes) {
    using folders::NeedsExactName;
    for (const wchar_t *name : {L"CON", L"con.mp3", L"Aux.tar.gz", L"NUL ", L"nul .txt", L"COM1.mp3", L"lpt9",
                                L"COM\u00b9", L"R.E.M.", L"Blank ", L"CONIN$"})
        EXPECT_TRUE(NeedsExactName(name)) << testing::PrintToString(std::wstring(name));
    for (const wchar_t *name : {L"CONSOLE.mp3", L"icon.mp3", L"COM", L"COM10", L"LPTX", L".hidden", L"a.b", L"..", L""})
        EXPECT_FALSE(NeedsExactName(name)) << testing::PrintToString(std::wstring(name));
    EXPECT_TRUE(folders::NeedsExactPath(L"C:\\Music\\R.E.M.\\x.mp3"));
    EXPECT_FALSE(folders::NeedsExactPath(L"\\\\server\\share\\Music\\x.mp3"));
}

// A folder stored in the extended form is known to the tree, and the user, by its ordinary one.
TEST(ExtendedForm, IsTakenAsTheFolderItNamesUnlessItsOrdinaryFormNamesAnother) {
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"\\\\?\\C:\\Music", L"C:\\Music"},
        {L"\\\\?\\UNC\\server\\share\\Music", L"\\\\server\\share\\Music"},
        {L"\\\\?\\C:\\R.E.M.", L"\\\\?\\C:\\R.E.M."},
        {L"C:\\Music", L"C:\\Music"},
    };
    for (const auto &[stored, folder] : cases) EXPECT_EQ(folders::OrdinaryForm(stored), folder);
}

namespace {
// Something in front of the player's window, as another plugin's subclass: it passes each
// record on and answers 0 whatever the player said.
WNDPROC playersOwn = nullptr;
LRESULT CALLBACK AnswersZero(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT answer = CallWindowProcW(playersOwn, window, message, wParam, lParam);
    return message == WM_COPYDATA ? 0 : answer;
}
}

// A name the code page cannot hold goes whole, as UTF-16, each file once, whatever the answer;
// a player too old for that (by its version) gets the file by its short name instead.
TEST_F(Walk, AFileNameOutsideTheAnsiCodePageGoesOnceWholeOrByItsShortNameToAnOlderPlayer) {
    if (GetACP() == CP_UTF8) GTEST_SKIP() << "every name converts in a UTF-8 code page";
    const Paths files{tree.File(L"N\\1" + test::kOutsideCodePages + L".dhm"),
                      tree.File(L"N\\2" + test::kOutsideCodePages + L".dhm")};
    struct Case {
        const char *player;
        bool takesWide, zeroInFront;
        std::vector<ULONG_PTR> sends;  // the kind of each record sent, in order
        ULONG_PTR kept;                // the kind of what the playlist keeps
    };
    const Case cases[] = {
        {"a player that takes UTF-16 records", true, false, {1100, 1100}, 1100},
        {"one behind something that answers 0 to every record", true, true, {1100, 1100}, 1100},
        {"an older player", false, false, {100, 100}, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.player);
        player.Clear();
        player.takesWide = c.takesWide;
        if (c.zeroInFront) playersOwn = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(player.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnswersZero)));
        test::SendingSink sending{player.Window()};
        FolderWalker(sending).Walk(tree.Path(L"N"), true);
        if (c.zeroInFront) SetWindowLongPtrW(player.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(playersOwn));
        EXPECT_EQ(player.Offered(), c.sends);
        Paths kept;
        for (const auto &file : player.Playlist()) {
            EXPECT_EQ(file.command, c.kept);
            if (c.kept == 100) {
                EXPECT_EQ(file.ansi.find('?'), std::string::npos);
            }
            wchar_t longForm[MAX_PATH] = {};
            GetLongPathNameW(file.path.c_str(), longForm, MAX_PATH);
            kept.push_back(c.kept == 1100 ? file.path : longForm);
        }
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(kept, files);
    }
}

namespace {
// A share where files come and go: while `listed` is listed, `gone` is deleted.
class DeletingLister final : public folders::Lister {
public:
    DeletingLister(std::wstring listed, std::wstring gone)
        : listed_(L"\\\\?\\" + std::move(listed) + L"\\*"), gone_(std::move(gone)) {}
    HANDLE FindFirst(const wchar_t *pattern, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW &entry,
                     DWORD flags) const override {
        if (CompareStringOrdinal(pattern, -1, listed_.c_str(), -1, TRUE) == CSTR_EQUAL) DeleteFileW(gone_.c_str());
        return Lister::FindFirst(pattern, level, entry, flags);
    }

private:
    const std::wstring listed_, gone_;
};
}

// The shell is asked about a kind: a file gone between its folder's listing and its typing
// (after the subfolders) says nothing against its kind, at this press or the next.
TEST_F(Walk, AFileGoneBeforeItIsTypedLeavesItsKindAMediaKind) {
    const test::MediaType kind{L".dhk", L"Winamp media file"};
    const std::wstring gone = tree.File(L"K\\k1.dhk"), next = tree.File(L"L\\k2.dhk");
    tree.File(L"K\\Sub\\s.txt");
    test::WalkWatcher watch;
    const auto deleting = std::make_shared<DeletingLister>(tree.Path(L"K\\Sub"), gone);
    ASSERT_TRUE(modDirhoardEx::AddFolderToPlaylist(tree.Path(L"K"), true, watch, nullptr, deleting));
    ASSERT_TRUE(watch.WaitForEnd());
    Press(tree.Path(L"L"));
    EXPECT_EQ(player.Paths(), (Paths{gone, next}));
}

TEST_F(Walk, FoldersDeeperThanMaxPathAreWalkedAndSentInTheOrdinaryForm) {
    std::wstring deep = L"L";
    while (deep.size() < 300) deep += L"\\a_rather_long_folder_name";
    const std::wstring file = tree.File(deep + L"\\deep.dhm");
    ASSERT_GT(file.size(), static_cast<size_t>(MAX_PATH));
    const WalkResult result = Run(tree.Path(L"L"), true);
    EXPECT_EQ(player.Paths(), (Paths{file}));
    EXPECT_EQ(result.unreadable, 0u);
}
