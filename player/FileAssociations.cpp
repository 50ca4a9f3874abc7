#include "FileAssociations.h"

#include <windows.h>
#include <string>
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

void Register() {
    SetClass(kProgId, L"Winamp media file");
    for (const wchar_t *extension : kExtensions) SetClass(extension, kProgId);
}
}
