#include "ServerSource.h"

#include "core/Registration.h"
#include "core/modGlobalDefinitions.h"

namespace {
#if defined(__x86_64__) || defined(_M_X64)
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
#endif

using GetClassObject = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);

Text &AddMachine(Text &text, WORD machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_I386: return text.Add(L"32-bit (x86)");
    case IMAGE_FILE_MACHINE_AMD64: return text.Add(L"64-bit (x64)");
    case 0xAA64: return text.Add(L"ARM64");
    default: return text.Add(L"another processor (machine ").Hex(machine).Add(L")");
    }
}

bool ReadAt(HANDLE file, LONG offset, void *into, DWORD size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    DWORD read = 0;
    return ReadFile(file, into, size, &read, &at) && read == size;
}

// The processor a PE image is built for; 0 when the file holds no PE image at all: what makes a
// DLL of the other architecture get a box that says so.
WORD MachineOf(const wchar_t *path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    IMAGE_DOS_HEADER dos{};
    struct {
        DWORD signature;
        IMAGE_FILE_HEADER header;
    } nt{};
    const bool image = ReadAt(file, 0, &dos, sizeof dos) && dos.e_magic == IMAGE_DOS_SIGNATURE && dos.e_lfanew > 0 &&
                       ReadAt(file, dos.e_lfanew, &nt, sizeof nt) && nt.signature == IMAGE_NT_SIGNATURE;
    CloseHandle(file);
    return image ? nt.header.Machine : 0;
}

void Cannot(Server &server) { server.failure.Add(L"Dirhoard+ cannot start:\n    ").Add(server.file).Add(L"\n"); }
void NotOurs(Server &server) { Cannot(server); server.failure.Add(L"is not the DirhoardEx.dll of Dirhoard+: "); }

void FromFile(const wchar_t *folder, Server &server) {
    // A damaged image must come back as an error here, not as the system's own box.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    // The full path: this file and no other of that name, wherever the search order would look.
    HMODULE library = LoadLibraryExW(server.file, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD loadError = GetLastError();
    SetThreadErrorMode(oldMode, nullptr);
    if (!library) {
        // Why, from the file's header: read only then, as every start of the player waits for it.
        const WORD machine = MachineOf(server.file);
        Cannot(server);
        if (!machine) {
            server.failure.Add(L"is damaged or is not a DLL at all.");
        } else if (machine != kOwnMachine) {
            AddMachine(server.failure.Add(L"is built for "), machine).Add(L" programs, and this player is ");
            AddMachine(server.failure, kOwnMachine).Add(L".");
        } else {
            server.failure.Add(L"could not be loaded (").Error(loadError).Add(L"): it may be damaged.");
        }
        AddCopyAdvice(server.failure, folder);
        return;
    }
    auto getClassObject = reinterpret_cast<GetClassObject>(GetProcAddress(library, "DllGetClassObject"));
    if (!getClassObject) {
        NotOurs(server);
        server.failure.Add(L"it is no COM server (it has no DllGetClassObject).");
    } else {
        ComPtr<IClassFactory> factory;
        HRESULT hr = getClassObject(CLSID_clsDirhoardEx, IID_IClassFactory, factory.PutVoid());
        if (FAILED(hr) || !factory) {
            NotOurs(server);
            server.failure.Add(L"it has no class clsDirhoardEx (error ").Hex(static_cast<unsigned long>(hr)).Add(L").");
        } else {
            hr = factory->CreateInstance(nullptr, IID_IKobWinAmpGenPlugin, server.plugin.PutVoid());
            if (FAILED(hr) || !server.plugin) {
                Cannot(server);
                server.failure.Add(L"could not create its clsDirhoardEx (error ").Hex(static_cast<unsigned long>(hr));
                server.failure.Add(L").");
            }
        }
    }
    if (!server.failure.Empty()) {
        server.plugin.Reset();
        AddCopyAdvice(server.failure, folder);
        FreeLibrary(library);
        return;
    }
    server.module = library;
}

void FromRegistration(const wchar_t *folder, Server &server) {
    RegisteredServerFile(server.file);
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(ProgId, &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IKobWinAmpGenPlugin, server.plugin.PutVoid());
    if (SUCCEEDED(hr)) return;
    server.plugin.Reset();
    Text beside(folder);
    beside.Add(L"\\").Add(kServerFile);
    if (hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG) {
        server.failure.Add(L"Dirhoard+ cannot start: DirhoardEx.dll is missing.\n\nIt looked for\n    ").Add(beside);
        server.failure.Add(L"\nbeside ").Add(kHostFile).Add(L", and for a registered ").Add(ProgId);
        server.failure.Add(L": neither is there.");
    } else {
        server.failure.Add(L"Dirhoard+ cannot start: there is no\n    ").Add(beside).Add(L"\nand creating the registered ");
        server.failure.Add(ProgId).Add(L" (").Add(server.file).Add(L") failed (error ");
        server.failure.Hex(static_cast<unsigned long>(hr)).Add(L").");
    }
    AddCopyAdvice(server.failure, folder);
}
}

void RegisteredServerFile(wchar_t *file) {
    wchar_t clsid[40] = {};
    StringFromGUID2(CLSID_clsDirhoardEx, clsid, 40);
    const Text key = Text(L"CLSID\\").Add(clsid).Add(L"\\InprocServer32");
    DWORD size = MAX_PATH * 2 * sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.Get(), nullptr, RRF_RT_REG_SZ, nullptr, file, &size) != ERROR_SUCCESS)
        file[0] = L'\0';
}

Text &AddCopyAdvice(Text &text, const wchar_t *folder) {
    text.Add(L"\n\nCopy DirhoardEx.dll, the one that came with ").Add(kHostFile).Add(L", into\n    ").Add(folder);
    return text.Add(L"\nthen restart the player.");
}

void ShowError(HWND owner, const Text &text) {
    MessageBoxW(owner, text.Get(), modGlobalDefinitions::AppTitleW, MB_OK | MB_ICONERROR);
}

void CreateServer(const wchar_t *folder, Server &server) {
    lstrcpynW(server.file, Text(folder).Add(L"\\").Add(kServerFile).Get(), MAX_PATH * 2);
    if (GetFileAttributesW(server.file) != INVALID_FILE_ATTRIBUTES) return FromFile(folder, server);
    FromRegistration(folder, server);
}
