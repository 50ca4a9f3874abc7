#include "folders/MediaTypes.h"

#include <windows.h>
#include <shellapi.h>
#include <cwchar>

namespace folders {
namespace {
// The shell reads the extension after the last dot; the cache keys on exactly that text.
std::wstring_view ExtensionOf(const wchar_t *name) {
    const wchar_t *dot = std::wcsrchr(name, L'.');
    return dot ? std::wstring_view(dot) : std::wstring_view();
}
}

bool ShellSaysMedia(LongPath &file, const wchar_t *name, bool exact) {
    SHFILEINFOW info{};
    const std::wstring_view path = file.Ordinary();
    DWORD_PTR ok;
    if (path.size() < MAX_PATH && !exact && !NeedsExactName(name)) {
        ok = SHGetFileInfoW(path.data(), 0, &info, sizeof info, SHGFI_TYPENAME);
    } else {
        // The shell takes no longer paths, nor names only the exact form carries; the
        // description belongs to the extension anyway.
        ok = SHGetFileInfoW(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    }
    return ok && std::wcscmp(info.szTypeName, kMediaType) == 0;
}

bool MediaTypes::Ask(LongPath &folder, const wchar_t *name, bool exact) {
    ++lookups_;
    if (pause_) pause_();
    const size_t mark = folder.Push(name);
    const bool media = ShellSaysMedia(folder, name, exact);
    folder.Truncate(mark);
    return media;
}

bool MediaTypes::IsMedia(LongPath &folder, const wchar_t *name, bool exact) {
    const std::wstring_view extension = ExtensionOf(name);
    if (auto it = known_.find(extension); it != known_.end()) return it->second;
    // Whichever program Windows opens the kind with, the player says what it plays.
    bool media = !extension.empty() && played_.Contains(extension.substr(1));
    if (!media) {
        const auto said = shell_.find(extension);
        media = said != shell_.end() ? said->second : shell_.emplace(extension, Ask(folder, name, exact)).first->second;
    }
    known_.emplace(extension, media);
    return media;
}
}
