#include "MediaTypes.h"

#include <windows.h>
#include <shellapi.h>
#include <cwchar>

namespace modDirhoardEx {
namespace {
// The shell reads the extension after the last dot; the cache keys on exactly that text.
std::wstring_view ExtensionOf(const wchar_t *name) {
    const wchar_t *dot = std::wcsrchr(name, L'.');
    return dot ? std::wstring_view(dot) : std::wstring_view();
}
}

bool ShellSaysMedia(LongPath &file, const wchar_t *name) {
    SHFILEINFOW info{};
    const std::wstring_view path = file.Ordinary();
    DWORD_PTR ok;
    if (path.size() < MAX_PATH) {
        ok = SHGetFileInfoW(path.data(), 0, &info, sizeof info, SHGFI_TYPENAME);
    } else {
        // The shell takes no longer paths; the description belongs to the extension anyway.
        ok = SHGetFileInfoW(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    }
    return ok && std::wcscmp(info.szTypeName, kMediaType) == 0;
}

bool MediaTypes::Ask(LongPath &folder, const wchar_t *name) {
    ++lookups_;
    const size_t mark = folder.Push(name);
    const bool media = ShellSaysMedia(folder, name);
    folder.Truncate(mark);
    return media;
}

bool MediaTypes::IsMedia(LongPath &folder, const wchar_t *name) {
    if (lookup_ == TypeLookup::PerFile) return Ask(folder, name);
    const std::wstring_view extension = ExtensionOf(name);
    if (auto it = known_.find(extension); it != known_.end()) return it->second;
    const bool media = Ask(folder, name);
    known_.emplace(extension, media);
    return media;
}
}
