#pragma once
// Where the host gets its COM object. The DirhoardEx.dll beside gen_dirhoardex.dll comes
// first, loaded by its full path and asked for its class factory directly, so that copying
// the two files is the whole install; the registered class only when no such file is there.
#include <windows.h>
#include "win32/ComPtr.h"
#include "DirhoardEx_h.h"
#include "Text.h"

inline constexpr wchar_t kServerFile[] = L"DirhoardEx.dll";
inline constexpr wchar_t kHostFile[] = L"gen_dirhoardex.dll";

struct Server {
    ComPtr<IKobWinAmpGenPlugin> plugin;
    // The DLL beside the host. Never freed once an object came from it: its hook may sit in
    // the player's window procedure chain until the player ends.
    HMODULE module = nullptr;
    wchar_t file[MAX_PATH * 2] = {};  // the DLL the object came from
    Text failure;                     // for the user, when there is no object
};

// `folder`: the host's own, without a trailing backslash. Fills `server`.
void CreateServer(const wchar_t *folder, Server &server);

// The file the registered class names (InprocServer32) into `file` (MAX_PATH * 2); empty when it
// is not registered.
void RegisteredServerFile(wchar_t *file);

// What every failure box ends with: how the user puts it right.
Text &AddCopyAdvice(Text &text, const wchar_t *folder);

// The one box every failure is shown in.
void ShowError(HWND owner, const Text &text);
