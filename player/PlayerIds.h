#pragma once
// What other programs (the demo driver, tests) may rely on in the stand-in player.
#include <windows.h>

namespace Player {
inline constexpr wchar_t kClass[] = L"Winamp v1.x";
inline constexpr wchar_t kTitle[] = L"DirhoardEx stand-in player";
inline constexpr UINT kExit = 1;
// "Configure" of the n-th loaded plugin is command kConfigureFirst + n.
inline constexpr UINT kConfigureFirst = 1000;
// "Uninstall" of the n-th loaded plugin, for a plugin that offers it: kUninstallFirst + n.
inline constexpr UINT kUninstallFirst = 2000;
// Beside Winamp.exe: the plugins to delete at the next start (see Removal.h).
inline constexpr wchar_t kRemovalList[] = L"Plugins to remove.txt";
}
