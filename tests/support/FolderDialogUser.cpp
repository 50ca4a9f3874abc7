#include "FolderDialogUser.h"

#include <shellapi.h>
#include <shlobj.h>
#include <atomic>
#include <vector>
#include "SecondThread.h"
#include "Wait.h"

namespace test {
namespace {
std::wstring ItemText(HWND tree, HTREEITEM item) {
    // Same process: the text buffer is shared.
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// The name the shell shows for an item, as the tree labels it.
std::wstring DisplayName(PCIDLIST_ABSOLUTE item) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME))
        return {};
    return info.szDisplayName;
}

std::wstring DisplayName(const std::wstring &path) {
    PIDLIST_ABSOLUTE item = nullptr;
    if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr))) return {};
    std::wstring name = DisplayName(item);
    CoTaskMemFree(item);
    return name;
}

// Expands `parent` as a click on its button does and finds its child labelled `label`.
HTREEITEM ChildNamed(HWND tree, HTREEITEM parent, const std::wstring &label) {
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (HTREEITEM child = Next(tree, parent, TVGN_CHILD); child; child = Next(tree, child, TVGN_NEXT))
        if (ItemText(tree, child) == label) return child;
    return nullptr;
}

// The labels from the desktop down: the computer, the drive, then each folder.
std::vector<std::wstring> LabelsDownTo(const std::wstring &folder) {
    // The shell's names, asked on whichever thread drives the dialog.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::vector<std::wstring> labels;
    PIDLIST_ABSOLUTE computer = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer))) {
        labels.push_back(DisplayName(computer));
        CoTaskMemFree(computer);
    }
    if (folder.empty()) {
        if (com) CoUninitialize();
        return labels;
    }
    labels.push_back(DisplayName(folder.substr(0, 3)));
    for (size_t start = 3; start < folder.size();) {
        size_t end = folder.find(L'\\', start);
        if (end == std::wstring::npos) end = folder.size();
        labels.push_back(DisplayName(folder.substr(0, end)));
        start = end + 1;
    }
    if (com) CoUninitialize();
    return labels;
}

DialogVisit Visit(const std::wstring &folder) {
    DialogVisit visit;
    HWND dialog = WaitForWindow(L"Dirhoard +");
    if (!(visit.opened = dialog != nullptr)) return visit;
    HWND addDir = nullptr;
    PollUntil([&] { return (addDir = FindChild(dialog, L"Button", L"Add Dir")) != nullptr; });
    visit.selected = SelectFolder(dialog, folder) != nullptr;
    visit.added = visit.selected && PressAddDir(dialog);
    if (HWND finish = FindChild(dialog, L"Button", L"Finish")) {
        Click(finish);
        visit.closed = PollUntil([&] { return !IsWindow(dialog); });
    }
    return visit;
}
}

bool PressAddDir(HWND dialog) {
    HWND addDir = FindChild(dialog, L"Button", L"Add Dir");
    if (!addDir || !IsWindowEnabled(addDir)) return false;
    // Handled once the click returns: the line tells of the walk from then on.
    Click(addDir);
    return WaitForTheEnd(dialog);
}

bool WalksOver(HWND dialog) {
    const std::wstring line = ProgressText(dialog);
    return line.starts_with(L"Added ") || line.starts_with(L"Stopped: ");
}

bool WaitForTheEnd(HWND dialog) {
    return PollUntil([&] { return WalksOver(dialog); });
}

std::wstring ProgressText(HWND dialog) {
    for (HWND child = FindWindowExW(dialog, nullptr, L"Static", nullptr); child;
         child = FindWindowExW(dialog, child, L"Static", nullptr))
        if (IsWindowVisible(child) && (WindowText(child).starts_with(L"Add") || WindowText(child).starts_with(L"Stopped")))
            return WindowText(child);
    return {};
}

HWND FolderTree(HWND dialog) {
    if (HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr)) return tree;
    for (HWND child = FindWindowExW(dialog, nullptr, nullptr, nullptr); child;
         child = FindWindowExW(dialog, child, nullptr, nullptr))
        if (HWND tree = FindWindowExW(child, nullptr, WC_TREEVIEWW, nullptr)) return tree;
    return nullptr;
}

std::wstring SelectedInTree(HWND dialog) {
    HWND tree = FolderTree(dialog);
    HTREEITEM item = tree ? Next(tree, nullptr, TVGN_CARET) : nullptr;
    return item ? ItemText(tree, item) : std::wstring();
}

HTREEITEM SelectFolder(HWND dialog, const std::wstring &folder) {
    HWND tree = FolderTree(dialog);
    if (!tree || (!folder.empty() && folder.size() < 3)) return nullptr;
    const std::vector<std::wstring> labels = LabelsDownTo(folder);
    // The desktop is the root; the computer sits below it.
    HTREEITEM item = Next(tree, nullptr, TVGN_ROOT);
    for (const std::wstring &label : labels) {
        if (!item || label.empty()) return nullptr;
        item = ChildNamed(tree, item, label);
    }
    if (!item) return nullptr;
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return Next(tree, nullptr, TVGN_CARET) == item ? item : nullptr;
}

void SettleAccessTimes(const std::wstring &folder) {
    const auto list = [](const std::wstring &pattern) {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return;
        while (FindNextFileW(find, &entry)) {}
        FindClose(find);
    };
    // "C:\", "C:\users\", ... each with its trailing backslash, then the folder itself.
    for (size_t end = 2; end != std::wstring::npos; end = folder.find(L'\\', end + 1))
        list(folder.substr(0, end + 1) + L"*");
    list(folder + L"\\*");
}

DialogVisit VisitByHotKey(WORD letter, const std::wstring &folder) {
    PressChord({VK_CONTROL, VK_MENU, letter});
    return Visit(folder);
}

DialogVisit AddAndFinish(const std::wstring &folder) { return Visit(folder); }

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
