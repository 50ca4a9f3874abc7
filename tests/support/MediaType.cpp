#include "MediaType.h"

namespace test {
namespace {
const std::wstring kClasses = L"Software\\Classes\\";

void SetDefault(HKEY root, const std::wstring &key, const std::wstring &value) {
    RegistryText::Set(root, key, nullptr, value);
}
}

MediaType::MediaType(const std::wstring &extension, const std::wstring &description)
    : extension_(extension),
      progId_(L"DirhoardExTest" + extension),
      userExtension_(HKEY_CURRENT_USER, kClasses + extension_),
      userProgId_(HKEY_CURRENT_USER, kClasses + progId_),
      machineExtension_(HKEY_LOCAL_MACHINE, kClasses + extension_),
      machineProgId_(HKEY_LOCAL_MACHINE, kClasses + progId_) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) SetDefault(root, kClasses + extension_, progId_);
    Describe(description);
}

void MediaType::Describe(const std::wstring &description) const {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) SetDefault(root, kClasses + progId_, description);
}
}
