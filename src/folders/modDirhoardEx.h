#pragma once
// The stay-open folder browser and the walker behind its "Add Dir" button.
#include <windows.h>

namespace modDirhoardEx {
// Opens the folder browser and returns when it closes; at once when one is already open.
void ShowFolderBrowser();
}
