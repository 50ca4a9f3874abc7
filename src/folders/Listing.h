#pragma once
// How a walk lists a folder: FindFirstFileExW, or what a test gives the walk it makes in its
// place, standing for a slow share.
#include <windows.h>

namespace modDirhoardEx {
using FindFirstFunction = HANDLE(WINAPI *)(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID, DWORD);
}
