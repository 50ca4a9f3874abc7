#pragma once
// A folder of files of which the shell calls some "Winamp media file", for the walk behind
// "Add Dir". Both the folder and the file type are removed again.
#include <windows.h>
#include <string>
#include <vector>
#include "Registry.h"

namespace test {
class MediaFolder {
public:
    // Registers the extension `.dhmp` as a "Winamp media file" and makes a fresh folder
    // holding the given files (names only).
    explicit MediaFolder(const std::vector<std::wstring> &files);
    ~MediaFolder();
    MediaFolder(const MediaFolder &) = delete;
    MediaFolder &operator=(const MediaFolder &) = delete;

    const std::wstring &Path() const { return path_; }
    std::wstring Name() const { return path_.substr(path_.find_last_of(L'\\') + 1); }
    std::wstring PathOf(const std::wstring &file) const { return path_ + L"\\" + file; }

private:
    RegistryCleaner extension_{HKEY_CLASSES_ROOT, L".dhmp"};
    RegistryCleaner progId_{HKEY_CLASSES_ROOT, L"DirhoardTest.Media"};
    std::wstring path_;
    std::vector<std::wstring> files_;
};
}
