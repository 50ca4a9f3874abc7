#pragma once
// The walks the benchmark compares.
#include <windows.h>
#include <string>

namespace bench {
// From the press (the call) to the end of the walk.
struct Span {
    double start = 0, end = 0;
    double Ms() const { return end - start; }
};

// The platform's limit: a bare recursive directory read that only counts files; the count.
long BareWalk(const std::wstring &root);
// The plugin's "Add Dir", pressed in a dialog box and over when the walk is: a worker lists,
// the records go to `player` between the messages the dialog's own loop dispatches. The span
// leaves out the dialog box's own coming and going.
Span PluginWalk(const std::wstring &root, HWND player);
// The direct design: the same order, one shell type look-up per file, no cache.
long DirectWalk(const std::wstring &root, HWND player);
}
