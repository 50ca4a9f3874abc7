#pragma once
#include <windows.h>
#include <vector>

namespace bench {
// Starts the plugin on `player` as the host does, then `presses` times posts the hotkey and
// measures the milliseconds until the folder dialog shows its caption, closing it each time.
std::vector<double> HotKeyToDialogTimes(HWND player, int presses);
}
