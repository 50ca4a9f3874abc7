// The stand-in player: behaves, for a general-purpose plugin, like the media player it
// stands in for, uninstalling included.
// Usage: Winamp.exe [--playlist FILE] [--older] [--other-default]
//   --playlist FILE   FILE receives the playlist as M3U on exit
//   --older           a player that does not answer the extension-list query
//   --other-default   another program opens the media kinds, as the user chose in Windows
// A restart after an uninstall adds "--after PID": the process it waits for before it starts.
// The exit code is 0, or one of Player::kExit... (PlayerIds.h).
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <cstdio>
#include <string>

#include "FileAssociations.h"
#include "PlayerIds.h"
#include "PlayerWindow.h"
#include "Playlist.h"
#include "Plugins.h"
#include "win32/Handles.h"
#include "win32/Module.h"

namespace {
// How long a restarted player waits for the one before it to end: its plugins are loaded, and a
// loaded DLL cannot be deleted.
constexpr DWORD kPredecessorWaitMs = 30000;

std::wstring ProgramFolder() { return Module::FolderOf(nullptr); }

struct Arguments {
    std::wstring playlist;
    bool older = false;
    bool otherDefault = false;
    DWORD after = 0;
};

Arguments ReadArguments() {
    Arguments arguments;
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--playlist" && i + 1 < argc) arguments.playlist = argv[++i];
        if (argument == Player::kAfterOption && i + 1 < argc) arguments.after = wcstoul(argv[++i], nullptr, 10);
        arguments.older |= argument == L"--older";
        arguments.otherDefault |= argument == L"--other-default";
    }
    LocalFree(argv);
    return arguments;
}

void WaitForEnd(DWORD process) {
    KernelHandle predecessor(process ? OpenProcess(SYNCHRONIZE, FALSE, process) : nullptr);
    if (predecessor) WaitForSingleObject(predecessor.Get(), kPredecessorWaitMs);
}

// The same program with the same arguments, told to wait for this process.
void StartAgain() {
    std::wstring command = GetCommandLineW();
    const size_t after = command.find(L" " + std::wstring(Player::kAfterOption) + L" ");
    if (after != std::wstring::npos) command.erase(after);  // a restart's own, always last
    command += L" " + std::wstring(Player::kAfterOption) + L" " + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        fprintf(stderr, "Winamp: could not restart (error %lu)\n", GetLastError());
        return;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
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
    WaitForEnd(arguments.after);
    // The player's interface thread is a single-threaded apartment before any plugin loads.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
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
    const int code = Finish(arguments, player);
    if (player.RestartAsked()) StartAgain();
    return code;
}
