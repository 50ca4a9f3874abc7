#pragma once
// What a plugin costs the player's start, each start a fresh process, as the player starts:
// loading the plugin's DLL, its entry winampGetGeneralPurposePlugin, its init, and at the end
// its quit (once the player's window is gone); and the private bytes it adds at start, and once
// the hotkey has opened its browser.
#include <string>
#include <vector>

namespace bench {
struct Start {
    double load = 0, entry = 0, init = 0, quit = 0;  // ms
    double privateAtStart = 0, privateBrowsed = 0;    // MB the process holds beyond its own before the load
};

// In the child: one start of `plugin`, its figures on one line of standard output; `browse`:
// the hotkey opens its browser once before the end.
int StartOnce(const std::wstring &plugin, bool browse);
// `starts` starts of each plugin, alternating, each in a fresh process of this program.
void PrintStarts(const std::wstring &trivial, const std::wstring &plugin, int starts);
}
