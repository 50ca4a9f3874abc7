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

// Optional: the player offers "Uninstall" for every plugin, asks the user itself, then calls
// this (undecorated __cdecl) where exported; a plugin without it counts as answering 0. `dll`
// is the plugin's instance, `parent` the preferences window, `param` reserved. The answer says
// what the player does with the gen_*.dll.
using GenUninstallEntry = int(__cdecl *)(HINSTANCE dll, HWND parent, int param);
inline constexpr char GenUninstallEntryName[] = "winampUninstallPlugin";
// The player restarts at once; the new process deletes the gen_*.dll before it loads plugins.
inline constexpr int GenUninstallRestart = 0;
// quit, unloaded and deleted at once: never for a plugin that subclasses the player's window.
inline constexpr int GenUninstallNow = 1;
// Any other answer: nothing happens, the plugin stays. This value is the host's.
inline constexpr int GenUninstallKept = 2;
