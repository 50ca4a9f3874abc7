#include "Walks.h"

#include <shellapi.h>
#include <cwchar>
#include <vector>
#include "win32/Clock.h"
#include "core/WinampHost.h"
#include "core/modGlobalDefinitions.h"
#include "folders/BackgroundWalk.h"
#include "folders/FolderWalker.h"
#include "folders/modDirhoardEx.h"

namespace bench {
namespace {
// The direct design's recursion: subfolders first, then the folder's own files, each file's
// type asked of the shell by its path.
void DirectFolder(folders::LongPath &path, folders::RecordBuilder &builder, long &sent) {
    std::vector<std::wstring> folders, files;
    WIN32_FIND_DATAW entry;
    const size_t mark = path.Push(L"*");
    HANDLE find = FindFirstFileW(path.Extended(), &entry);
    path.Truncate(mark);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files).push_back(name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    for (const std::wstring &folder : folders) {
        const size_t at = path.Push(folder.c_str());
        DirectFolder(path, builder, sent);
        path.Truncate(at);
    }
    for (const std::wstring &file : files) {
        const size_t at = path.Push(file.c_str());
        SHFILEINFOW info{};
        if (SHGetFileInfoW(path.Ordinary().data(), 0, &info, sizeof info, SHGFI_TYPENAME) &&
            std::wcscmp(info.szTypeName, folders::kMediaType) == 0) {
            builder.Build(path, false);
            ++sent;
        }
        path.Truncate(at);
    }
}

// The direct design's sends: each record as it is built, on this thread.
class Sending final : public folders::RecordSink {
public:
    explicit Sending(HWND player) : player_(player) {}
    void Take(const COPYDATASTRUCT &record, const COPYDATASTRUCT *) override { WinampHost::Send(player_, record); }

private:
    HWND player_;
};

// The press: the dialog box ends with the walk.
struct Press final : folders::WalkObserver {
    std::wstring root;
    HWND dialog = nullptr;
    Span span;
    void Progress(size_t, std::wstring_view) override {}
    void Ended(const folders::WalkOutcome &) override {
        span.end = Clock::NowMs();
        EndDialog(dialog, 1);
    }
};

INT_PTR CALLBACK PressDialog(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto *press = reinterpret_cast<Press *>(lParam);
    press->dialog = dialog;
    press->span.start = Clock::NowMs();
    if (!modDirhoardEx::AddFolderToPlaylist(press->root, true, *press, dialog)) EndDialog(dialog, 0);
    return TRUE;
}
}

Span PluginWalk(const std::wstring &root, HWND player) {
    modGlobalDefinitions::hWndWinamp = player;
    modDirhoardEx::RecurseSubfolders = true;
    modDirhoardEx::PlayFileRecord.dwData = WinampHost::IPC_PLAYFILE;
    Press press;
    press.root = root;
    // An empty dialog box of no size: its loop is the one the folder browser runs.
    struct alignas(4) {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialog{{WS_POPUP, 0, 0, 0, 0, 0, 0}, 0, 0, 0};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialog.header, nullptr, PressDialog,
                            reinterpret_cast<LPARAM>(&press));
    return press.span;
}

long DirectWalk(const std::wstring &root, HWND player) {
    folders::LongPath path;
    if (!path.Assign(root)) return 0;
    Sending sink(player);
    folders::RecordBuilder builder(sink);
    long sent = 0;
    DirectFolder(path, builder, sent);
    return sent;
}
}
