#include "Walks.h"

#include "folders/FolderWalker.h"
#include "core/WinampHost.h"
#include "folders/modDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

namespace bench {
long PluginWalk(const std::wstring &root, HWND player) {
    modGlobalDefinitions::hWndWinamp = player;
    modDirhoardEx::RecurseSubfolders = true;
    modDirhoardEx::PlayFileRecord.dwData = WinampHost::IPC_PLAYFILE;
    modDirhoardEx::AddFolderToPlaylist(root);
    return 0;
}

long DirectWalk(const std::wstring &root, HWND player) {
    COPYDATASTRUCT record{WinampHost::IPC_PLAYFILE, 0, nullptr};
    modDirhoardEx::FolderWalker walker(player, record, modDirhoardEx::TypeLookup::PerFile);
    return static_cast<long>(walker.Walk(root, true).sent);
}
}
