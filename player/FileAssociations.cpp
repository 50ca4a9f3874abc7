#include "FileAssociations.h"

#include <algorithm>
#include <vector>
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

namespace {
HGLOBAL Block(const std::string &bytes, size_t slack = 0) {
    HGLOBAL block = GlobalAlloc(GPTR, bytes.size() + slack);  // zeroed, so the slack is zero bytes
    if (block) std::copy(bytes.begin(), bytes.end(), static_cast<char *>(block));
    return block;
}

// Upper case, as the player's input plugins name them, each once.
std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const wchar_t *extension : kExtensions) {
        std::string name;
        for (const wchar_t *c = extension + 1; *c; ++c)
            name.push_back(static_cast<char>(*c >= L'a' && *c <= L'z' ? *c - L'a' + L'A' : *c));
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}
}

HGLOBAL ExtensionListBlock() {
    std::string list;
    for (const auto &name : Names()) list += name + '\0';
    list.push_back('\0');
    return Block(list, kExtensionListSlack);
}

HGLOBAL OpenFilterBlock() {
    std::string patterns;
    for (const auto &name : Names()) patterns += (patterns.empty() ? "*." : ";*.") + name;
    return Block("All supported types (" + patterns + ")" + '\0' + patterns + '\0' + "All files (*.*)" + '\0' +
                 "*.*" + '\0' + '\0');
}
}
