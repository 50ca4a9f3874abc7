#pragma once
// The walks the benchmark compares.
#include <windows.h>
#include <string>

namespace bench {
// The platform's limit: a bare recursive directory read that only counts files; the count.
long BareWalk(const std::wstring &root);
// The plugin's "Add Dir" walk, sending every media file to `player`, which counts them.
void PluginWalk(const std::wstring &root, HWND player);
// The direct design: the same order, one shell type look-up per file, no cache; the number sent.
long DirectWalk(const std::wstring &root, HWND player);
}
