// The stand-in player: behaves, for a general-purpose plugin, like the media player it
// stands in for, uninstalling included.
// Usage: Winamp.exe [--playlist FILE] [--older] [--other-default]
//   --playlist FILE   FILE receives the playlist as M3U on exit
//   --older           a player that does not answer the extension-list query
//   --other-default   another program opens the media kinds, as the user chose in Windows
// The exit code is 0, or one of Player::kExit... (PlayerIds.h).
#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <string>

#include "FileAssociations.h"
#include "PlayerIds.h"
#include "PlayerWindow.h"
#include "Playlist.h"
#include "Plugins.h"
#include "win32/Module.h"

namespace {
std::wstring ProgramFolder() { return Module::FolderOf(nullptr); }

struct Arguments {
    std::wstring playlist;
    bool older = false;
    bool otherDefault = false;
};

Arguments ReadArguments() {
    Arguments arguments;
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--playlist" && i + 1 < argc) arguments.playlist = argv[++i];
        arguments.older |= argument == L"--older";
        arguments.otherDefault |= argument == L"--other-default";
    }
    LocalFree(argv);
    return arguments;
}

// What ends every run: the playlist written if asked, refused records reported.
int Finish(const Arguments &arguments, const PlayerWindow &player) {
    if (!arguments.playlist.empty() && !Playlist::WriteM3u(arguments.playlist, player.Paths()))
        return Player::kExitPlaylistNotWritten;
    if (player.Refused() == 0) return 0;
    fprintf(stderr, "Winamp: %lu play-file record(s) refused: no terminating zero within cbData\n",
            static_cast<unsigned long>(player.Refused()));
    return Player::kExitRefusedRecords;
}
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    const Arguments arguments = ReadArguments();
    FileAssociations::Register(arguments.otherDefault);

    Plugins plugins(ProgramFolder() + L"\\" + Player::kRemovalList);
    plugins.RemovePending();
    PlayerWindow player(plugins, !arguments.older);
    if (!player.Create(instance)) return Player::kExitNoWindow;
    // At the end of the session Windows ends the process once the window has answered.
    player.onEndSession = [&] { ExitProcess(static_cast<UINT>(Finish(arguments, player))); };
    plugins.Load(ProgramFolder() + L"\\Plugins", player.Window());
    player.ListPlugins();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The window is gone; only now do the plugins quit, the last loaded first.
    plugins.Quit();
    return Finish(arguments, player);
}
