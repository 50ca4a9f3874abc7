#pragma once
#include <windows.h>
#include <vector>

namespace bench {
// Starts the plugin on `player` as the host does, then `presses` times posts the hotkey and
// measures the milliseconds until the folder dialog shows its caption, closing it each time.
std::vector<double> HotKeyToDialogTimes(HWND player, int presses);
// The same, the hotkey's handler opening the browser with the last folder on a disk that takes
// two seconds to answer.
std::vector<double> HotKeyToDialogTimesWithASlowDisk(int presses);
}
