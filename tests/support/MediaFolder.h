#pragma once
// A folder of files of which the shell calls some "Winamp media file", for the walk behind
// "Add Dir". Both the folder and the file type are removed again.
#include <windows.h>
#include <string>
#include <vector>
#include "MediaType.h"
#include "TempTree.h"

namespace test {
class MediaFolder {
public:
    // Registers the extension `.dhmp` as a "Winamp media file" and makes a fresh folder
    // holding the given files (names only).
    explicit MediaFolder(const std::vector<std::wstring> &files);

    const std::wstring &Path() const { return tree_.Root(); }
    std::wstring PathOf(const std::wstring &file) const { return tree_.Path(file); }

private:
    MediaType type_{L".dhmp", L"Winamp media file"};
    TempTree tree_;
};
}
