// gen_dirhoardex.dll: the player's plugin that starts the DirhoardEx COM object inside the
// player, passes init/config/quit on to it, and undoes the install on "Uninstall". It is built
// without the C++ runtime and without exceptions (CMakeLists.txt): nothing in it can throw, so
// its entries need no barrier, and it loads as fast as a plugin that does nothing.
#include <windows.h>
#include <ole2.h>

#include "GenPlugin.h"
#include "HostWrapper.h"
#include "ServerSource.h"
#include "Text.h"
#include "Uninstall.h"
#include "core/Registration.h"

namespace {
int __cdecl Init();
void __cdecl Config();
void __cdecl Quit();

char description[256] = "Dirhoard+ (DirhoardEx host)";
GenPluginHeader header{GenPluginVersion, description, Init, Config, Quit, nullptr, nullptr};

struct Session {
    bool oleStarted = false;
    Server server;
    HostWrapper wrapper;
};
Session session;

// The object goes; the DLL it came from stays loaded (see Server::module).
void Stop() {
    if (session.server.plugin) session.server.plugin->Quit();
    session.server.plugin.Reset();
    if (session.oleStarted) OleUninitialize();
    session.oleStarted = false;
}

// The player's C code calls these.
int __cdecl Init() {
    // The folder dialog needs OLE on this, the player's, thread.
    session.oleStarted = SUCCEEDED(OleInitialize(nullptr));
    wchar_t folder[MAX_PATH * 2];
    FolderOf(header.hDllInstance, folder);
    CreateServer(folder, session.server);
    if (!session.server.plugin) {
        ShowError(header.hwndParent, session.server.failure);
        Stop();
        return 1;
    }
    session.wrapper.Attach(header.hwndParent, description, sizeof description);
    const HRESULT hr = session.server.plugin->Initialize(&session.wrapper);
    if (FAILED(hr)) {
        Text failure(L"Dirhoard+ could not start: ");
        failure.Add(ProgId).Add(L" of\n    ").Add(session.server.file).Add(L"\nfailed to initialize (error ");
        ShowError(header.hwndParent, AddCopyAdvice(failure.Hex(static_cast<unsigned long>(hr)).Add(L")."), folder));
        Stop();
        return 1;
    }
    return 0;
}

void __cdecl Config() {
    if (session.server.plugin) session.server.plugin->Configure();
}

void __cdecl Quit() { Stop(); }
}

// Exported by their plain names through the .def file.
extern "C" GenPluginHeader *__cdecl winampGetGeneralPurposePlugin() { return &header; }

extern "C" int __cdecl winampUninstallPlugin(HINSTANCE dll, HWND parent, int) {
    wchar_t folder[MAX_PATH * 2];
    FolderOf(dll ? dll : header.hDllInstance, folder);
    // The player asked whether to uninstall: ours is only whether to keep the settings.
    const bool forgetSettings = AskForgetSettings(parent);
    // Stopped first, so that nothing of ours writes a setting or answers the hotkey again.
    Stop();
    Text left;
    RemoveInstall(folder, forgetSettings, left);
    TellWhatWasLeft(parent, left);
    return GenUninstallRestart;
}
