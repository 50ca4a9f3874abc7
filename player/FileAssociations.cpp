#include "FileAssociations.h"

#include <algorithm>
#include "win32/RegistryText.h"

namespace FileAssociations {
namespace {
// Per-user classes, and the merged view too: Windows writes an HKCR key that exists per user
// back to the per-user one, while Wine's HKCR does not show per-user classes at all.
void SetClass(const std::wstring &key, const wchar_t *value) {
    RegistryText::Set(HKEY_CURRENT_USER, L"Software\\Classes\\" + key, nullptr, value);
    RegistryText::Set(HKEY_CLASSES_ROOT, key, nullptr, value);
}
}

void Register(bool otherIsDefault) {
    SetClass(kProgId, L"Winamp media file");
    SetClass(kOtherProgId, kOtherDescription);
    for (const wchar_t *extension : kExtensions) SetClass(extension, otherIsDefault ? kOtherProgId : kProgId);
}

HGLOBAL ExtensionListBlock() {
    std::string list;
    for (const wchar_t *extension : kExtensions) {
        // Upper case, as the player's input plugins name them.
        for (const wchar_t *c = extension + 1; *c; ++c)
            list.push_back(static_cast<char>(*c >= L'a' && *c <= L'z' ? *c - L'a' + L'A' : *c));
        list.push_back('\0');
    }
    list.push_back('\0');
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, list.size());
    if (block) std::copy(list.begin(), list.end(), static_cast<char *>(block));
    return block;
}
}
