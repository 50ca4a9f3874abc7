#pragma once
// Undoing the install from the player's plugin list, once the player has asked. The player
// restarts at once and deletes gen_dirhoardex.dll before it loads its plugins; the host undoes the rest: the registration if it names the
// DirhoardEx.dll beside it, that DLL, and the settings if the user wants them gone.
#include <windows.h>
#include <string>
#include <vector>

// Keeping them is the default: a later install picks them up. The box also says that the
// player restarts now to finish.
bool AskKeepSettings(HWND parent);

// `folder`: the host's own. Returns what could not be removed, one paragraph each for the user; empty when all went.
std::vector<std::wstring> RemoveInstall(const std::wstring &folder, bool forgetSettings);
