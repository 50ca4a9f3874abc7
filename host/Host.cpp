// gen_dirhoardex.dll: the player's plugin that starts the DirhoardEx COM object inside the
// player and passes init/config/quit on to it.
#include <windows.h>
#include <ole2.h>
#include <cstdio>
#include <string>

#include "ComPtr.h"
#include "DirhoardEx_h.h"
#include "GenPlugin.h"
#include "HostWrapper.h"

namespace {
constexpr wchar_t kProgId[] = L"DirhoardEx.clsDirhoardEx";
constexpr wchar_t kCaption[] = L"DirhoardEx";

int __cdecl Init();
void __cdecl Config();
void __cdecl Quit();

char description[256] = "Dirhoard+ (DirhoardEx host)";
GenPluginHeader header{GenPluginVersion, description, Init, Config, Quit, nullptr, nullptr};

struct Session {
    bool oleStarted = false;
    ComPtr<IKobWinAmpGenPlugin> plugin;
};
Session session;

std::wstring PluginsFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(header.hDllInstance, path, MAX_PATH);
    std::wstring folder(path);
    const size_t slash = folder.find_last_of(L'\\');
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    return folder;
}

// How a user registers the COM server by hand.
std::wstring RegisterCommand() {
    return L"from a command prompt run as administrator:\n\n    regsvr32 \"" + PluginsFolder() + L"\\DirhoardEx.dll\"";
}

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

void Fail(const std::wstring &what) {
    MessageBoxW(header.hwndParent, what.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

void ReportCreateFailure(HRESULT hr) {
    const std::wstring fix = L"Register it once, " + RegisterCommand() + L"\n\nthen restart the player.";
    if (hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG) {
        Fail(L"Dirhoard+ cannot start: the COM class " + std::wstring(kProgId) +
             L" is not registered.\n\n" + fix);
    } else {
        Fail(L"Dirhoard+ cannot start: creating " + std::wstring(kProgId) + L" failed (error " + Hex(hr) +
             L").\n\nMake sure DirhoardEx.dll is in the player's Plugins folder and registered. " + fix);
    }
}

void End() {
    session.plugin.Reset();
    if (session.oleStarted) OleUninitialize();
    session.oleStarted = false;
}

HRESULT Create() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IKobWinAmpGenPlugin, session.plugin.PutVoid());
}

int __cdecl Init() {
    // The folder dialog needs OLE on this, the player's, thread.
    session.oleStarted = SUCCEEDED(OleInitialize(nullptr));
    HRESULT hr = Create();
    if (FAILED(hr)) {
        ReportCreateFailure(hr);
        End();
        return 1;
    }
    auto *wrapper = new HostWrapper(header.hwndParent, description, sizeof description);
    hr = session.plugin->Initialize(wrapper);
    wrapper->Release();
    if (FAILED(hr)) {
        Fail(L"Dirhoard+ could not start: " + std::wstring(kProgId) + L" failed to initialize (error " + Hex(hr) +
             L").\n\nReinstall DirhoardEx, or register it again " + RegisterCommand());
        session.plugin->Quit();
        End();
        return 1;
    }
    return 0;
}

void __cdecl Config() {
    if (session.plugin) session.plugin->Configure();
}

void __cdecl Quit() {
    if (session.plugin) session.plugin->Quit();
    End();
}
}

// Exported by its plain name through the .def file.
extern "C" GenPluginHeader *__cdecl winampGetGeneralPurposePlugin() { return &header; }
