// The COM server's four entry points. Everything else lives in the static library.
#include <windows.h>
#include <olectl.h>

#include "win32/Barrier.h"
#include "core/ClassFactory.h"
#include "win32/Module.h"
#include "win32/WindowClass.h"
#include "core/Registration.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        Module::SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    // Unloaded while the process goes on: no class of ours may outlive our code. At the
    // process's end the classes go with it.
    if (reason == DLL_PROCESS_DETACH && !reserved) WindowClass::UnregisterAll();
    return TRUE;
}

STDAPI DllCanUnloadNow() { return Module::CanUnload() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void **out) {
    return ComBarrier([&] { return GetDirhoardClassObject(clsid, iid, out); });
}

STDAPI DllRegisterServer() {
    return ComBarrier([]() -> HRESULT {
        const std::wstring path = Module::FileOf(Module::Instance());
        if (path.empty()) return SELFREG_E_CLASS;
        return RegisterServer(path.c_str());
    });
}

STDAPI DllUnregisterServer() {
    return ComBarrier([] { return UnregisterServer(); });
}
