// The stand-in player: behaves, for a general-purpose plugin, like the media player it
// stands in for, uninstalling included.
// Usage: Winamp.exe [--playlist FILE]  (FILE receives the playlist as M3U on exit)
#include <windows.h>
#include <shellapi.h>
#include <string>

#include "FileAssociations.h"
#include "PlayerIds.h"
#include "PlayerWindow.h"
#include "Playlist.h"
#include "Plugins.h"
#include "win32/Module.h"

namespace {
std::wstring ProgramFolder() { return Module::FolderOf(nullptr); }

std::wstring PlaylistArgument() {
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring file;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::wstring(argv[i]) == L"--playlist") file = argv[i + 1];
    LocalFree(argv);
    return file;
}
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    const std::wstring playlistFile = PlaylistArgument();
    FileAssociations::Register();

    Plugins plugins(ProgramFolder() + L"\\" + Player::kRemovalList);
    plugins.RemovePending();
    PlayerWindow player(plugins);
    if (!player.Create(instance)) return 1;
    plugins.Load(ProgramFolder() + L"\\Plugins", player.Window());
    player.ListPlugins();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    plugins.Unload();
    if (!playlistFile.empty() && !Playlist::WriteM3u(playlistFile, player.Paths())) return 2;
    return 0;
}
