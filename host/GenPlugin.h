#pragma once
// The player's general-purpose plugin format: a DLL named gen_*.dll in the player's Plugins
// folder whose undecorated __cdecl export winampGetGeneralPurposePlugin returns this header.
#include <windows.h>

struct GenPluginHeader {
    int version;                     // GenPluginVersion
    char *description;               // shown by the player in its plugin list
    int(__cdecl *init)(void);        // 0 on success; the player unloads a plugin that returns 1
    void(__cdecl *config)(void);
    void(__cdecl *quit)(void);
    HWND hwndParent;                 // filled in by the player before init
    HINSTANCE hDllInstance;          // filled in by the player before init
};

inline constexpr int GenPluginVersion = 0x10;
inline constexpr char GenPluginEntryName[] = "winampGetGeneralPurposePlugin";
using GenPluginEntry = GenPluginHeader *(__cdecl *)(void);
