// gen_dirhoardex.dll: the player's plugin that starts the DirhoardEx COM object inside the
// player and passes init/config/quit on to it, and undoes the install on "Uninstall".
#include <windows.h>
#include <ole2.h>
#include <string>

#include "win32/Barrier.h"
#include "win32/Module.h"
#include "GenPlugin.h"
#include "HostText.h"
#include "HostWrapper.h"
#include "core/Registration.h"
#include "ServerSource.h"
#include "Uninstall.h"

namespace {
int __cdecl Init();
void __cdecl Config();
void __cdecl Quit();

char description[256] = "Dirhoard+ (DirhoardEx host)";
GenPluginHeader header{GenPluginVersion, description, Init, Config, Quit, nullptr, nullptr};

struct Session {
    bool oleStarted = false;
    Server server;
};
Session session;

void Fail(const std::wstring &what) { ShowError(header.hwndParent, what); }

// The object goes; the DLL it came from stays loaded (see Server::module).
void Stop() {
    if (session.server.plugin) session.server.plugin->Quit();
    session.server.plugin.Reset();
    if (session.oleStarted) OleUninitialize();
    session.oleStarted = false;
}

int Start() {
    // The folder dialog needs OLE on this, the player's, thread.
    session.oleStarted = SUCCEEDED(OleInitialize(nullptr));
    const std::wstring folder = Module::FolderOf(header.hDllInstance);
    session.server = CreateServer(folder);
    if (!session.server.plugin) {
        Fail(session.server.failure);
        Stop();
        return 1;
    }
    auto *wrapper = new HostWrapper(header.hwndParent, description, sizeof description);
    const HRESULT hr = session.server.plugin->Initialize(wrapper);
    wrapper->Release();
    if (FAILED(hr)) {
        Fail(std::wstring(L"Dirhoard+ could not start: ") + ProgId + L" of\n    " + session.server.file +
             L"\nfailed to initialize (error " + Hex(hr) + L")." + CopyAdvice(folder));
        Stop();
        return 1;
    }
    return 0;
}

// The player's C code calls these: nothing may leave them as an exception.
int __cdecl Init() {
    return CallbackBarrier(1, Start);
}

void __cdecl Config() {
    CallbackBarrier(0, [] {
        if (session.server.plugin) session.server.plugin->Configure();
        return 0;
    });
}

void __cdecl Quit() {
    CallbackBarrier(0, [] {
        Stop();
        return 0;
    });
}

int Uninstall(HINSTANCE dll, HWND parent) {
    const std::wstring folder = Module::FolderOf(dll ? dll : header.hDllInstance);
    // The player asked whether to uninstall: ours is only whether to keep the settings.
    const bool forgetSettings = AskForgetSettings(parent);
    // Stopped first, so that nothing of ours writes a setting or answers the hotkey again.
    Stop();
    TellWhatWasLeft(parent, RemoveInstall(folder, forgetSettings));
    return GenUninstallRestart;
}
}

// Exported by their plain names through the .def file.
extern "C" GenPluginHeader *__cdecl winampGetGeneralPurposePlugin() { return &header; }

extern "C" int __cdecl winampUninstallPlugin(HINSTANCE dll, HWND parent, int) {
    return CallbackBarrier(GenUninstallKept, [&] { return Uninstall(dll, parent); });
}
