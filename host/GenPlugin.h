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

// Optional: the player offers "Uninstall" for a plugin that exports this (undecorated
// __cdecl). `dll` is the plugin's instance, `parent` the window to own its questions, `param`
// reserved. The answer says what the player does with the gen_*.dll.
using GenUninstallEntry = int(__cdecl *)(HINSTANCE dll, HWND parent, int param);
inline constexpr char GenUninstallEntryName[] = "winampUninstallPlugin";
// Deleted when the player next starts, before it loads its plugins.
inline constexpr int GenUninstallAtNextStart = 0;
// Unloaded and deleted at once: never for a plugin that subclasses the player's window.
inline constexpr int GenUninstallNow = 1;
// Any other answer: the user declined and the plugin stays. This value is the host's.
inline constexpr int GenUninstallKept = 2;
