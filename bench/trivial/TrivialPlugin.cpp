// The benchmark's measure of a plugin's cost at the player's start: a general-purpose plugin
// that does nothing, its init answering 0.
#include <windows.h>
#include "GenPlugin.h"

namespace {
int __cdecl Init() { return 0; }
void __cdecl Nothing() {}
char description[] = "A trivial plugin";
GenPluginHeader header{GenPluginVersion, description, Init, Nothing, Nothing, nullptr, nullptr};
}

extern "C" GenPluginHeader *__cdecl winampGetGeneralPurposePlugin() { return &header; }
