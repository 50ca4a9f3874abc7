#include "Walks.h"

#include <vector>
#include "folders/FolderWalker.h"
#include "core/WinampHost.h"
#include "folders/modDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

namespace bench {
namespace {
// The direct design's recursion: subfolders first, then the folder's own files, each file's
// type asked of the shell.
void DirectFolder(modDirhoardEx::LongPath &path, modDirhoardEx::PlaySender &sender, long &sent) {
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
        DirectFolder(path, sender, sent);
        path.Truncate(at);
    }
    for (const std::wstring &file : files) {
        const size_t at = path.Push(file.c_str());
        if (modDirhoardEx::ShellSaysMedia(path, file.c_str(), false)) {
            sender.Send(path, false);
            ++sent;
        }
        path.Truncate(at);
    }
}
}

void PluginWalk(const std::wstring &root, HWND player) {
    modGlobalDefinitions::hWndWinamp = player;
    modDirhoardEx::RecurseSubfolders = true;
    modDirhoardEx::PlayFileRecord.dwData = WinampHost::IPC_PLAYFILE;
    modDirhoardEx::AddFolderToPlaylist(root);
}

long BlockingWalk(const std::wstring &root, HWND player) {
    COPYDATASTRUCT record{WinampHost::IPC_PLAYFILE, 0, nullptr};
    modDirhoardEx::FolderWalker walker(player, record);
    return static_cast<long>(walker.Walk(root, true).sent);
}

long DirectWalk(const std::wstring &root, HWND player) {
    COPYDATASTRUCT record{WinampHost::IPC_PLAYFILE, 0, nullptr};
    modDirhoardEx::LongPath path;
    if (!path.Assign(root)) return 0;
    modDirhoardEx::PlaySender sender(player, record);
    long sent = 0;
    DirectFolder(path, sender, sent);
    return sent;
}
}
