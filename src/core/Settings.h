#pragma once
// The plugin's three remembered values, in the platform's per-user application/section/key
// text store: REG_SZ values below HKCU\Software\VB and VBA Program Settings\DirhoardEx.
#include <cstdint>
#include <string>
#include <string_view>

namespace Settings {
// The store itself: the stored text, or `fallback` when the key is absent.
std::wstring GetSetting(std::wstring_view app, std::wstring_view section, std::wstring_view key,
                        std::wstring_view fallback);
// Creates or replaces the value; false when the store refused it.
bool SaveSetting(std::wstring_view app, std::wstring_view section, std::wstring_view key, std::wstring_view value);

// "Config"/"HotKey": the ANSI code of the stored first character, a letter upper-cased; "G" (71)
// when absent or empty.
int32_t LoadHotKey();
void StoreHotKey(int32_t code);

// "SHBFFDialog"/"Path": the text before the first NUL, "C:\" when absent.
std::wstring LoadPath();
void StorePath(std::wstring_view path);

// "SHBFFDialog"/"Recurse": "True"/"False" in any case or a number (non-zero is true);
// anything else, or nothing, is true.
bool LoadRecurse();
void StoreRecurse(bool recurse);

// The conversions on their own, for what is read from the store.
int32_t HotKeyFromText(std::wstring_view text);
std::wstring TextFromHotKey(int32_t code);
bool RecurseFromText(std::wstring_view text);
}
