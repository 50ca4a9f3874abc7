#pragma once
// The one warning after a walk that had to skip folders.
#include <windows.h>
#include <string>
#include "folders/FolderWalker.h"

namespace folders {
std::wstring UnreadableText(const WalkResult &result);
void ShowUnreadableNotice(HWND owner, const WalkResult &result);
}
