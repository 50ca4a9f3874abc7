#pragma once
// The real shell folder dialog, opened on the test thread and driven from a second thread the
// way a user would; the stand-in player takes the files.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <commctrl.h>
#include <functional>
#include <memory>
#include <thread>
#include "FolderDialogUser.h"
#include "HeldWalk.h"
#include "ListingGate.h"
#include "MediaType.h"
#include "MessageWindow.h"
#include "Registry.h"
#include "StandInPlayer.h"
#include "TempTree.h"
#include "Wait.h"
#include "core/Settings.h"
#include "core/modGlobalDefinitions.h"
#include "folders/modDirhoardEx.h"

namespace {
using Paths = std::vector<std::wstring>;
constexpr wchar_t kCaption[] = L"Dirhoard +";

// What the driving thread saw; asserted on the test thread once the dialog has closed.
struct Seen {
    bool found = false;
    bool addDir = false, finish = false;
    bool checked = false;
    RECT checkBox{};
    bool openAfterAddDir = false;
    int dialogsAfterSecondOpen = 0;
    bool closed = false;
    std::wstring treeSelection;
    bool selected = false;
    bool pressed = false;
    // During a walk held at a slow folder.
    bool held = false;
    std::wstring progress, caption;
    bool addDirEnabled = true, checkEnabled = true, canUnload = true;
    LRESULT cursorSet = 0;
    // After it.
    bool endedOpen = false;
};

// A window on the test thread that opens the browser when told to, as the hotkey hook does,
// and runs what the driving thread hands it where the player's state lives.
constexpr UINT kRunHere = WM_APP + 1;
LRESULT CALLBACK OpenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        modDirhoardEx::ShowFolderBrowser();
        return 1;
    }
    if (message == kRunHere) {
        (*reinterpret_cast<const std::function<void()> *>(lParam))();
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class FolderBrowser : public testing::Test {
protected:
    void SetUp() override {
        modGlobalDefinitions::hWndWinamp = player.Window();
        a1 = tree.File(L"A\\a1.dhm");
        a2 = tree.File(L"A\\a2.dhm");
        b1 = tree.File(L"A\\B\\b1.dhm");
        opener = test::MessageWindow(L"DirhoardExTestOpener", OpenerProc);
    }
    void TearDown() override {
        DestroyWindow(opener);
        modGlobalDefinitions::hWndWinamp = nullptr;
    }

    // Opens the browser here, its walks listing with `listing`; `drive` runs on a second thread
    // with the dialog window.
    Seen Open(const std::function<void(HWND, Seen &)> &drive) {
        Seen seen;
        std::thread driver([&] {
            HWND dialog = test::WaitForWindow(kCaption);
            seen.found = dialog != nullptr;
            if (dialog) drive(dialog, seen);
            // Whatever happened, the dialog must end so the test thread comes back.
            if (dialog && IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            seen.closed = test::PollUntil([&] { return !dialog || !IsWindow(dialog); });
        });
        modDirhoardEx::ShowFolderBrowser(listing, probe);
        driver.join();
        return seen;
    }

    static HWND Button(HWND dialog, const wchar_t *text) { return test::FindChild(dialog, L"Button", text); }
    // From the driving thread: `work` runs on the test thread, between the player's messages.
    void OnTestThread(const std::function<void()> &work) const {
        SendMessageW(opener, kRunHere, 0, reinterpret_cast<LPARAM>(&work));
    }

    test::RegistryCleaner settings{HKEY_CURRENT_USER, test::kSettingsKey};
    test::MediaType media{L".dhm", L"Winamp media file"};
    test::StandInPlayer player;
    test::TempTree tree;
    HWND opener = nullptr;
    std::shared_ptr<const folders::Lister> listing = folders::Lister::Platform();
    folders::FolderProbe probe;
    std::wstring a1, a2, b1;
};

// The browser walking a library held at its second subfolder's listing, the first one's file
// sent (test::HeldWalk).
class WalkingBrowser : public FolderBrowser {
protected:
    void SetUp() override {
        FolderBrowser::SetUp();
        listing = held.Gate();
        Settings::StorePath(held.Folder());
        Settings::StoreRecurse(true);
    }
    // Presses "Add Dir" on the library as a click does and waits until the walk is held with the
    // first file sent and shown.
    bool StartHeldWalk(HWND dialog, Seen &s) {
        HWND addDir = Button(dialog, L"Add Dir");
        if (!addDir || !test::SelectFolder(dialog, held.Folder())) return false;
        test::Click(addDir);
        const std::wstring shown = L"Adding: 1 file, reading " + held.Gated();
        return held.Gate()->Reached(test::kTimeoutMs) &&
               test::PollUntil([&] { return (s.progress = test::ProgressText(dialog)) == shown; });
    }

    test::HeldWalk held;
};

}
