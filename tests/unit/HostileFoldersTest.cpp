// Folders a user's disk really holds: very deep, very full, oddly named, or gone by the time
// "Add Dir" is pressed.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include "BoxCatcher.h"
#include "FolderDialogUser.h"
#include "MediaType.h"
#include "MessageWindow.h"
#include "Registry.h"
#include "core/Settings.h"
#include "SendingSink.h"
#include "StandInPlayer.h"
#include "TempTree.h"
#include "Wait.h"
#include "folders/FolderWalker.h"
#include "folders/modDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

using folders::FolderWalker;
using folders::WalkResult;

namespace {
using Paths = std::vector<std::wstring>;

std::wstring Extended(const std::wstring &path) { return L"\\\\?\\" + path; }

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool Gone(const std::wstring &path) { return !Exists(path); }

std::wstring Widen(const std::string &text) { return std::wstring(text.begin(), text.end()); }

// A path sent in its short form, written out again.
std::wstring LongForm(const std::wstring &path) {
    wchar_t text[MAX_PATH] = {};
    const DWORD n = GetLongPathNameW(path.c_str(), text, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(text, n) : path;
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters),
                         sizeof counters);
    return counters.PrivateUsage;
}

class HostileWalk : public testing::Test {
protected:
    void SetUp() override { modGlobalDefinitions::hWndWinamp = player.Window(); }
    void TearDown() override { modGlobalDefinitions::hWndWinamp = nullptr; }
    WalkResult Run(const std::wstring &folder, HWND to) {
        test::SendingSink sink(to);
        FolderWalker walker(sink);
        return walker.Walk(folder, true);
    }

    test::MediaType media{L".dhm", L"Winamp media file"};
    test::StandInPlayer player;
    test::TempTree tree;
};

// Takes play-file records without keeping them: checks each against the expected order and
// watches the process's memory while they come.
class OrderChecker {
public:
    explicit OrderChecker(std::vector<std::string> expected) : expected_(std::move(expected)), base_(PrivateBytes()) {
        window_ = test::MessageWindow(L"DirhoardExTestOrder", Proc);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~OrderChecker() { DestroyWindow(window_); }
    HWND Window() const { return window_; }

    size_t received = 0, outOfOrder = 0;
    SIZE_T growth = 0;  // the most private bytes grew while records came

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto *self = reinterpret_cast<OrderChecker *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != WM_COPYDATA || !self) return DefWindowProcW(window, message, wParam, lParam);
        const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        const std::string_view sent(static_cast<const char *>(cds->lpData), cds->cbData ? cds->cbData - 1 : 0);
        if (self->received >= self->expected_.size() || sent != self->expected_[self->received]) ++self->outOfOrder;
        if (++self->received % 1000 == 0) self->growth = std::max(self->growth, PrivateBytes() - self->base_);
        return TRUE;
    }
    std::vector<std::string> expected_;
    SIZE_T base_;
    HWND window_ = nullptr;
};
}

namespace {
struct DeepWalk {
    std::wstring top;
    HWND to;
    WalkResult result;
    std::atomic<bool> done{false};
};
DWORD WINAPI RunDeepWalk(void *parameter) {
    auto *job = static_cast<DeepWalk *>(parameter);
    test::SendingSink sink(job->to);
    FolderWalker walker(sink);
    job->result = walker.Walk(job->top, true);
    job->done = true;
    return 0;
}
}

// The depth costs heap, not stack: four hundred levels walked on a thread whose whole stack is
// 64 KB, where a frame per level would overflow it.
TEST_F(HostileWalk, FourHundredLevelsDeepAreWalkedDeepestFirstOnASmallStack) {
    std::wstring folder = tree.Folder(L"D");
    const std::wstring top = folder;
    Paths expected;
    for (int level = 0; level < 400; ++level) {
        folder += L"\\d";
        ASSERT_TRUE(CreateDirectoryW(Extended(folder).c_str(), nullptr)) << level;
        const std::wstring file = folder + L"\\f.dhm";
        HANDLE h = CreateFileW(Extended(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        expected.insert(expected.begin(), file);
    }
    DeepWalk job{top, player.Window()};
    HANDLE thread = CreateThread(nullptr, 64 * 1024, RunDeepWalk, &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr);
    // The records come to this thread's window: it pumps while the walk runs.
    EXPECT_TRUE(test::PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 60000));
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    ASSERT_TRUE(job.done) << "the walk ended with 0x" << std::hex << exitCode;
    EXPECT_EQ(job.result.unreadable, 0u);
    EXPECT_EQ(job.result.sent, 400u);
    EXPECT_EQ(player.Paths(), expected);
}

TEST_F(HostileWalk, FiftyThousandFilesAreAllSentInListingOrderInBoundedMemory) {
    constexpr int kFiles = 50000;
    const std::wstring big = tree.Folder(L"Big");
    ASSERT_TRUE(test::RunShell(big, "seq -f 'f%05g.dhm' 0 " + std::to_string(kFiles - 1) + " | xargs touch"));

    std::vector<std::string> expected;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((big + L"\\*").c_str(), &entry);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    const std::string prefix(big.begin(), big.end());
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") expected.push_back(prefix + "\\" + std::string(name.begin(), name.end()));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    ASSERT_EQ(expected.size(), static_cast<size_t>(kFiles));

    OrderChecker checker(std::move(expected));
    const WalkResult result = Run(big, checker.Window());
    EXPECT_EQ(result.sent, static_cast<size_t>(kFiles));
    EXPECT_EQ(checker.received, static_cast<size_t>(kFiles));
    EXPECT_EQ(checker.outOfOrder, 0u);
    // The walk keeps one level's names up to its budget, not the folder's 50,000.
    EXPECT_LT(checker.growth, SIZE_T{4} << 20);
    std::printf("[ figure ] private bytes grew by at most %zu KiB during the walk of %d files\n",
                static_cast<size_t>(checker.growth >> 10), kFiles);
    test::RunShell(tree.Root(), "rm -rf Big");
}

TEST_F(HostileWalk, PercentSemicolonLeadingSpacesAndForeignLettersArriveIntact) {
    Paths expected{tree.File(L"N\\%TEMP%\\50%;off.dhm"), tree.File(L"N\\ ;lead\\  two spaces.dhm"),
                   tree.File(L"N\\\u97f3\u697d\\\u0436\u0437.dhm"), tree.File(L"N\\%PATH%;x.dhm"),
                   tree.File(L"N\\ %1.dhm")};
    const WalkResult result = Run(tree.Path(L"N"), player.Window());
    EXPECT_EQ(result.unreadable, 0u);
    Paths sent;
    for (const auto &path : player.Paths()) sent.push_back(LongForm(path));
    std::sort(sent.begin(), sent.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sent, expected);
    // What the code page holds goes exactly as named, not through the short form.
    for (const auto &file : player.Playlist()) {
        if (file.path.find(L'%') != std::wstring::npos) {
            EXPECT_EQ(LongForm(file.path), file.path);
        }
    }
}

TEST_F(HostileWalk, AFolderThatVanishedAfterItsSelectionIsReportedAndTheDialogStaysUsable) {
    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    const std::wstring gone = tree.Folder(L"Gone");
    tree.File(L"Gone\\x.dhm");
    Settings::StorePath(gone);
    Settings::StoreRecurse(true);
    test::BoxCatcher boxes;
    std::wstring selected;
    bool openAfter = false;
    const test::DialogRun run = test::WhileDialogOpen([] { modDirhoardEx::ShowFolderBrowser(); }, [&](HWND dialog) {
        test::PollUntil([&] { return test::FindChild(dialog, L"Button", L"Add Dir") != nullptr; });
        test::SelectFolder(dialog, gone);
        selected = std::wstring(modDirhoardEx::PathIn(modDirhoardEx::SelectedPath));
        test::RunUnix(L"/bin/rm -rf " + Widen(test::UnixPath(gone)), Gone, gone);
        test::PressAddDir(dialog);
        openAfter = IsWindowVisible(dialog) != FALSE;
        if (HWND finish = test::FindChild(dialog, L"Button", L"Finish")) test::Click(finish);
    });
    EXPECT_TRUE(run.found);
    EXPECT_TRUE(run.closed);
    EXPECT_TRUE(openAfter);
    ASSERT_EQ(selected, gone);
    EXPECT_TRUE(player.Playlist().empty());
    const std::vector<test::CaughtBox> expected{{L"1 folder could not be read and was skipped:\n\n" + gone, true}};
    EXPECT_EQ(boxes.Boxes(), expected);
    EXPECT_EQ(SendMessageW(player.Window(), WM_USER, 1, 260), test::StandInPlayer::kPlaylistAnswer);
}
