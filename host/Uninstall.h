#pragma once
// Undoing the install from the player's plugin list. The player deletes gen_dirhoardex.dll
// itself at its next start; the host undoes the rest: the registration if it names the
// DirhoardEx.dll beside it, that DLL, and the settings if the user wants them gone.
#include <windows.h>
#include <string>
#include <vector>

// Asks first; false when the user keeps the plugin.
bool ConfirmUninstall(HWND parent, const std::wstring &folder);
// Keeping them is the default: a later install picks them up.
bool AskKeepSettings(HWND parent);

// `folder`: the host's own. Returns what could not be removed, one paragraph each for the user; empty when all went.
std::vector<std::wstring> RemoveInstall(const std::wstring &folder, bool forgetSettings);
