#include "Walks.h"

#include "folders/FolderWalker.h"
#include "core/WinampHost.h"
#include "folders/modDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

namespace bench {
void PluginWalk(const std::wstring &root, HWND player) {
    modGlobalDefinitions::hWndWinamp = player;
    modDirhoardEx::RecurseSubfolders = true;
    modDirhoardEx::PlayFileRecord.dwData = WinampHost::IPC_PLAYFILE;
    modDirhoardEx::AddFolderToPlaylist(root);
}

long DirectWalk(const std::wstring &root, HWND player) {
    COPYDATASTRUCT record{WinampHost::IPC_PLAYFILE, 0, nullptr};
    modDirhoardEx::FolderWalker walker(player, record, modDirhoardEx::TypeLookup::PerFile);
    return static_cast<long>(walker.Walk(root, true).sent);
}
}
