#pragma once
// The folder adding as the rest of the plugin sees it, and all that the rest includes of it: the
// browser that the hotkey opens, and the stops that the host's release, its Quit and the end of
// the player's window ask for. The player's interface thread only.
namespace modDirhoardEx {
// Opens the folder browser and returns when it closes; at once when one is already open.
void ShowFolderBrowser();
// Stops the walk and stores the folder and the box now, then ends an open browser as "Finish"
// does; nothing of the browser writes the settings after this.
void CloseFolderBrowser();
// Stops the walk at once, if one runs, and what waits for it: nothing more is sent, and its
// observer is told before this returns. The worker ends on its own.
void StopWalk();
}
