#pragma once
// What other programs (the demo driver, tests) may rely on in the stand-in player.
#include <windows.h>

namespace Player {
inline constexpr wchar_t kClass[] = L"Winamp v1.x";
inline constexpr wchar_t kTitle[] = L"DirhoardEx stand-in player";
inline constexpr UINT kExit = 1;
// "Configure" of the n-th loaded plugin is command kConfigureFirst + n.
inline constexpr UINT kConfigureFirst = 1000;
}
