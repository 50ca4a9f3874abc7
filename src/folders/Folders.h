#pragma once
// The folder adding as the rest of the plugin sees it, and all that the rest includes of it: the
// browser that the hotkey opens, and the stops that the host's release, its Quit and the end of
// the player's window ask for. The player's interface thread only.
namespace modDirhoardEx {
// Opens the folder browser and returns when it closes; at once when one is already open.
void ShowFolderBrowser();
}

namespace folders {
// Stops a walk and stores the folder and the check box now, then ends an open browser as
// "Finish" does; nothing of the browser writes the settings after this.
void CloseFolderBrowser();
// Stops the walk at once, if one runs: nothing more is sent.
void StopWalk();
}
