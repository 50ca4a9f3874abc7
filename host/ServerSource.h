#pragma once
// Where the host gets its COM object. The DirhoardEx.dll beside gen_dirhoardex.dll comes
// first, loaded by its full path and asked for its class factory directly, so that copying
// the two files is the whole install; the registered class only when no such file is there.
#include <windows.h>
#include <string>
#include "win32/ComPtr.h"
#include "DirhoardEx_h.h"

inline constexpr wchar_t kServerFile[] = L"DirhoardEx.dll";
inline constexpr wchar_t kHostFile[] = L"gen_dirhoardex.dll";

struct Server {
    ComPtr<IKobWinAmpGenPlugin> plugin;
    // The DLL beside the host. Never freed once an object came from it: its hook may sit in
    // the player's window procedure chain until the player ends.
    HMODULE module = nullptr;
    std::wstring file;     // the DLL the object came from
    std::wstring failure;  // for the user, when there is no object
};

// `folder`: the host's own folder, without a trailing backslash.
Server CreateServer(const std::wstring &folder);

// The file the registered class names (InprocServer32), or nothing when it is not registered.
std::wstring RegisteredServerFile();

// What every failure box ends with: how the user puts it right.
std::wstring CopyAdvice(const std::wstring &folder);
