#pragma once
// Undoing the install from the player's plugin list, once the player has asked. The player
// restarts at once and deletes gen_dirhoardex.dll before it loads its plugins; the host undoes
// the rest: the registration if it names the DirhoardEx.dll beside it, that DLL, the setup
// program's uninstaller and entry where they are this folder's, and the settings if the user
// wants them gone.
#include <windows.h>
#include "Text.h"

// Whether the user wants the settings gone: only an explicit No. Keeping them is the default,
// which a later install picks up, and what a box that failed (its owner is no window) or went
// with its owner (the user closed the player meanwhile) leaves. The box also says that the
// player restarts now to finish.
bool AskForgetSettings(HWND parent);

// `folder`: the host's own. What could not be removed goes to `left`, a paragraph each for the
// user; it stays empty when all went.
void RemoveInstall(const wchar_t *folder, bool forgetSettings, Text &left);

// Says what could not be removed, where it is seen: in a box owned by `parent` while it is a
// window, else by none, and not ended by a quit the player posted meanwhile.
void TellWhatWasLeft(HWND parent, const Text &left);
