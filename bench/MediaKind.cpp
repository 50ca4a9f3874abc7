#include "MediaKind.h"

#include "win32/RegistryText.h"

namespace bench {
namespace {
constexpr const wchar_t *kKeys[] = {L"Software\\Classes\\.dhm", L"Software\\Classes\\DirhoardExBench.dhm"};
}

MediaKind::MediaKind() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        RegistryText::Set(root, kKeys[0], nullptr, L"DirhoardExBench.dhm");
        RegistryText::Set(root, kKeys[1], nullptr, L"Winamp media file");
    }
}

MediaKind::~MediaKind() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const wchar_t *key : kKeys) RegDeleteTreeW(root, key);
}
}
