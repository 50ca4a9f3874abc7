#pragma once
// The one writer of registry text: every REG_SZ value of the system, its host, its player and
// its tests goes through here.
#include <windows.h>
#include <string>
#include <string_view>

namespace RegistryText {
// Creates `key` below `root` where it is missing and sets its value `name` (null: the key's
// default value) to `value` and one terminating NUL; NULs inside `value` are kept.
LSTATUS Set(HKEY root, const std::wstring &key, const wchar_t *name, std::wstring_view value);
}
