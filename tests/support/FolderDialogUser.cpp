#include "FolderDialogUser.h"

#include <commctrl.h>
#include <atomic>
#include "SecondThread.h"
#include "Registry.h"
#include "Wait.h"

namespace test {
// Same process: the text buffer is shared.
std::wstring SelectedInTree(HWND dialog) {
    HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
    if (!tree) {
        for (HWND child = FindWindowExW(dialog, nullptr, nullptr, nullptr); child && !tree;
             child = FindWindowExW(dialog, child, nullptr, nullptr))
            tree = FindWindowExW(child, nullptr, L"SysTreeView32", nullptr);
    }
    if (!tree) return {};
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return {};
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

namespace {
const std::wstring kDialogSection = std::wstring(kSettingsKey) + L"\\SHBFFDialog";

std::wstring StoredPath() {
    wchar_t path[1024] = {};
    DWORD size = sizeof path;
    RegGetValueW(HKEY_CURRENT_USER, kDialogSection.c_str(), L"Path", RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

void StorePath(const std::wstring &path) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kDialogSection.c_str(), L"Path", REG_SZ, path.c_str(),
                    static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

// With `onlyThere`, "Add Dir" is pressed only once the tree shows `folder`; else after the wait.
DialogVisit Visit(const std::wstring &folder, DWORD selectionMs, bool onlyThere) {
    DialogVisit visit;
    HWND dialog = WaitForWindow(L"Dirhoard +");
    if (!(visit.opened = dialog != nullptr)) return visit;
    HWND addDir = nullptr;
    const bool there = PollUntil([&] {
        addDir = FindChild(dialog, L"Button", L"Add Dir");
        return addDir && IsWindowEnabled(addDir) && SelectedInTree(dialog) == folder;
    }, selectionMs);
    // The walk runs inside the click: when it returns, every file has been sent.
    if ((visit.added = addDir != nullptr && (there || !onlyThere))) Click(addDir);
    if (HWND finish = FindChild(dialog, L"Button", L"Finish")) {
        Click(finish);
        visit.closed = PollUntil([&] { return !IsWindow(dialog); });
    }
    return visit;
}
}

DialogVisit VisitByHotKey(WORD letter, const std::wstring &folder) {
    // Wine's tree now and then stops short of a folder made moments before; like a user, try
    // again from the same stored folder (closing stored the one the tree stopped at).
    const std::wstring stored = StoredPath();
    DialogVisit visit;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt) StorePath(stored);
        PressChord({VK_CONTROL, VK_MENU, letter});
        visit = Visit(folder, 10000, true);
        if (visit.added || !visit.opened || !visit.closed) break;
    }
    return visit;
}

DialogVisit AddAndFinish(const std::wstring &folder, DWORD selectionMs) { return Visit(folder, selectionMs, false); }

DialogVisit VisitByHotKeyWhilePumping(WORD letter, const std::wstring &folder) {
    std::atomic<bool> done{false};
    DialogVisit visit;
    SecondThread user([&] {
        visit = VisitByHotKey(letter, folder);
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 60000);
    user.Join();
    return visit;
}

DialogRun WhileDialogOpen(const std::function<void()> &open, const std::function<void(HWND)> &drive) {
    DialogRun run;
    SecondThread user([&] {
        HWND dialog = WaitForWindow(L"Dirhoard +");
        run.found = dialog != nullptr;
        if (dialog) drive(dialog);
        if (dialog && IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        run.closed = PollUntil([&] { return !dialog || !IsWindow(dialog); });
    });
    open();
    user.Join();
    return run;
}
}
