#pragma once
// Registers a file extension with a type description for the life of the object, the way
// the player registers "Winamp media file" for the kinds it plays.
#include <windows.h>
#include <string>
#include "Registry.h"

namespace test {
class MediaType {
public:
    // `extension` with its dot, e.g. L".dhm".
    MediaType(const std::wstring &extension, const std::wstring &description);
    void Describe(const std::wstring &description) const;

private:
    std::wstring extension_, progId_;
    // Per-user classes are where a user's registration lands; Wine 8's shell reads only the
    // machine-wide ones, so the same registration goes there too.
    RegistryCleaner userExtension_, userProgId_, machineExtension_, machineProgId_;
};
}
