#include "ServerSource.h"

#include <optional>
#include "win32/Handles.h"
#include "HostText.h"
#include "core/Registration.h"

namespace {
#if defined(__x86_64__) || defined(_M_X64)
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
#endif

struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};
using Library = UniqueHandle<LibraryTraits>;

using GetClassObject = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);

std::wstring MachineName(WORD machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_I386: return L"32-bit (x86)";
    case IMAGE_FILE_MACHINE_AMD64: return L"64-bit (x64)";
    case 0xAA64: return L"ARM64";
    default: return L"another processor (machine " + Hex(machine) + L")";
    }
}

bool ReadAt(HANDLE file, LONG offset, void *into, DWORD size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    DWORD read = 0;
    return ReadFile(file, into, size, &read, &at) && read == size;
}

// The processor a PE image is built for; nothing when the file holds no PE image at all.
// Asked before loading, so that a DLL of the other architecture gets a box that says so.
std::optional<WORD> MachineOf(const std::wstring &path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    IMAGE_DOS_HEADER dos{};
    if (!ReadAt(file.Get(), 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0)
        return std::nullopt;
    struct {
        DWORD signature;
        IMAGE_FILE_HEADER header;
    } nt{};
    if (!ReadAt(file.Get(), dos.e_lfanew, &nt, sizeof nt) || nt.signature != IMAGE_NT_SIGNATURE) return std::nullopt;
    return nt.header.Machine;
}

Server FromFile(const std::wstring &folder, const std::wstring &file) {
    Server server;
    server.file = file;
    const std::wstring cannot = L"Dirhoard+ cannot start:\n    " + file + L"\n";
    const std::wstring notOurs = cannot + L"is not the DirhoardEx.dll of Dirhoard+: ";
    const std::optional<WORD> machine = MachineOf(file);
    if (!machine) {
        server.failure = cannot + L"is damaged or is not a DLL at all." + CopyAdvice(folder);
        return server;
    }
    if (*machine != kOwnMachine) {
        server.failure = cannot + L"is built for " + MachineName(*machine) + L" programs, and this player is " +
                         MachineName(kOwnMachine) + L"." + CopyAdvice(folder);
        return server;
    }
    // A damaged image must come back as an error here, not as the system's own box.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    // The full path: this file and no other of that name, wherever the search order would look.
    Library library(LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    const DWORD loadError = GetLastError();
    SetThreadErrorMode(oldMode, nullptr);
    if (!library) {
        server.failure = cannot + L"could not be loaded (" + ErrorText(loadError) + L"): it may be damaged." +
                         CopyAdvice(folder);
        return server;
    }
    auto getClassObject = reinterpret_cast<GetClassObject>(GetProcAddress(library.Get(), "DllGetClassObject"));
    if (!getClassObject) {
        server.failure = notOurs + L"it is no COM server (it has no DllGetClassObject)." + CopyAdvice(folder);
        return server;
    }
    ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(CLSID_clsDirhoardEx, IID_IClassFactory, factory.PutVoid());
    if (FAILED(hr) || !factory) {
        server.failure = notOurs + L"it has no class clsDirhoardEx (error " + Hex(hr) + L")." + CopyAdvice(folder);
        return server;
    }
    hr = factory->CreateInstance(nullptr, IID_IKobWinAmpGenPlugin, server.plugin.PutVoid());
    factory.Reset();
    if (FAILED(hr) || !server.plugin) {
        server.plugin.Reset();
        server.failure = cannot + L"could not create its clsDirhoardEx (error " + Hex(hr) + L")." + CopyAdvice(folder);
        return server;
    }
    server.module = library.Release();
    return server;
}

Server FromRegistration(const std::wstring &folder) {
    Server server;
    server.file = RegisteredServerFile();
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(ProgId, &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IKobWinAmpGenPlugin, server.plugin.PutVoid());
    if (SUCCEEDED(hr)) return server;
    server.plugin.Reset();
    const std::wstring beside = folder + L"\\" + kServerFile;
    if (hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG) {
        server.failure = std::wstring(L"Dirhoard+ cannot start: DirhoardEx.dll is missing.\n\nIt looked for\n    ") +
                         beside + L"\nbeside " + kHostFile + L", and for a registered " + ProgId +
                         L": neither is there." + CopyAdvice(folder);
    } else {
        server.failure = L"Dirhoard+ cannot start: there is no\n    " + beside + L"\nand creating the registered " +
                         ProgId + L" (" + server.file + L") failed (error " + Hex(hr) + L")." + CopyAdvice(folder);
    }
    return server;
}
}

std::wstring RegisteredServerFile() {
    wchar_t clsid[40];
    StringFromGUID2(CLSID_clsDirhoardEx, clsid, 40);
    const std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = sizeof path;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path,
                     &size) != ERROR_SUCCESS)
        return L"";
    return path;
}

std::wstring CopyAdvice(const std::wstring &folder) {
    return std::wstring(L"\n\nCopy DirhoardEx.dll, the one that came with ") + kHostFile + L", into\n    " + folder +
           L"\nthen restart the player.";
}

Server CreateServer(const std::wstring &folder) {
    const std::wstring beside = folder + L"\\" + kServerFile;
    if (GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return FromFile(folder, beside);
    return FromRegistration(folder);
}
