#include "Walks.h"

#include "modGlobalDefinitions.h"

namespace bench {
long PluginWalk(const std::wstring &root, HWND player) {
    modGlobalDefinitions::hWndWinamp = player;
    (void)root;
    return 0;  // wired to the plugin's walker once it exists
}
}
