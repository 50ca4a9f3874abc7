#pragma once
// The walks the benchmark compares.
#include <windows.h>
#include <string>

namespace bench {
// The platform's limit: a bare recursive directory read that only counts files; the count.
long BareWalk(const std::wstring &root);
// The plugin's "Add Dir" walk, sending every media file to `player` from a worker's listing
// while this thread goes on dispatching its messages.
void PluginWalk(const std::wstring &root, HWND player);
// The same walk listing on this thread, as "Add Dir" did before it ran in the background.
long BlockingWalk(const std::wstring &root, HWND player);
// The direct design: the same order, one shell type look-up per file, no cache.
long DirectWalk(const std::wstring &root, HWND player);
}
