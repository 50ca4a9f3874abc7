#include "core/Settings.h"

#include <windows.h>
#include "win32/Handles.h"
#include "win32/RegistryText.h"
#include "core/modGlobalDefinitions.h"

namespace Settings {
namespace {
constexpr wchar_t kRoot[] = L"Software\\VB and VBA Program Settings\\";

std::wstring KeyPath(std::wstring_view app, std::wstring_view section) {
    return std::wstring(kRoot).append(app).append(L"\\").append(section);
}

std::wstring_view BeforeNul(std::wstring_view text) { return text.substr(0, text.find(L'\0')); }

std::wstring Get(std::wstring_view section, std::wstring_view key, std::wstring_view fallback) {
    return GetSetting(modGlobalDefinitions::AppTitleW, section, key, fallback);
}

void Save(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    SaveSetting(modGlobalDefinitions::AppTitleW, section, key, value);
}

std::wstring_view Trim(std::wstring_view text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool EqualsNoCase(std::wstring_view a, const wchar_t *b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}
}

std::wstring GetSetting(std::wstring_view app, std::wstring_view section, std::wstring_view key,
                        std::wstring_view fallback) {
    RegKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE, k.Put()) != ERROR_SUCCESS)
        return std::wstring(fallback);
    const std::wstring name(key);
    for (DWORD bytes = 64 * sizeof(wchar_t);;) {
        std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD type = 0;
        DWORD size = bytes;
        LSTATUS rc = RegQueryValueExW(k.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(value.data()),
                                      &size);
        if (rc == ERROR_MORE_DATA) { bytes = size; continue; }
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::wstring(fallback);
        value.resize(size / sizeof(wchar_t));
        // A stored terminator is not part of the text; inner NULs are the caller's to judge.
        if (!value.empty() && value.back() == L'\0') value.pop_back();
        return value;
    }
}

bool SaveSetting(std::wstring_view app, std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const std::wstring name(key);
    return RegistryText::Set(HKEY_CURRENT_USER, KeyPath(app, section), name.c_str(), value) == ERROR_SUCCESS;
}

int32_t HotKeyFromText(std::wstring_view text) {
    text = BeforeNul(text);
    if (text.empty()) return 'G';
    char bytes[4] = {};
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), 1, bytes, sizeof bytes, nullptr, &lossy);
    // A character the code page cannot hold would become "?" and be written back so: unusable.
    if (n <= 0 || lossy) return 'G';
    if (n == 1) return static_cast<unsigned char>(bytes[0]);
    // A double-byte character: lead and trail byte as one signed 16-bit code.
    if (n == 2) return static_cast<int16_t>((static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]));
    return '?';
}

std::wstring TextFromHotKey(int32_t code) {
    char bytes[2];
    int n = 0;
    const auto value = static_cast<uint16_t>(code);
    if (value > 0xFF) bytes[n++] = static_cast<char>(value >> 8);
    bytes[n++] = static_cast<char>(value & 0xFF);
    wchar_t text[2] = {};
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes, n, text, 2);
    return std::wstring(text, chars > 0 ? 1 : 0);
}

bool RecurseFromText(std::wstring_view text) {
    const std::wstring_view word = Trim(BeforeNul(text));
    if (EqualsNoCase(word, L"True")) return true;
    if (EqualsNoCase(word, L"False")) return false;
    if (word.empty()) return true;
    // A decimal number, as VB converts it: true unless its digits are all zero. Read by hand:
    // the C runtime's floating-point reader would double the module's size.
    size_t at = word[0] == L'+' || word[0] == L'-' ? 1 : 0;
    bool digits = false, nonZero = false;
    for (bool point = false; at < word.size(); ++at) {
        const wchar_t c = word[at];
        if (c >= L'0' && c <= L'9') {
            digits = true;
            nonZero |= c != L'0';
        } else if (c == L'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits && at < word.size() && (word[at] == L'e' || word[at] == L'E')) {
        size_t exponent = at + 1 < word.size() && (word[at + 1] == L'+' || word[at + 1] == L'-') ? at + 2 : at + 1;
        const size_t first = exponent;
        while (exponent < word.size() && word[exponent] >= L'0' && word[exponent] <= L'9') ++exponent;
        if (exponent > first) at = exponent;
    }
    if (!digits || at != word.size()) return true;  // not a number: the default
    return nonZero;
}

int32_t LoadHotKey() {
    // Codes from 'a' up name keys of the number pad, not letters: a letter is a letter in
    // either case. Anything else is used as it stands.
    const int32_t code = HotKeyFromText(Get(L"Config", L"HotKey", L"G"));
    return code >= 'a' && code <= 'z' ? code - ('a' - 'A') : code;
}
void StoreHotKey(int32_t code) { Save(L"Config", L"HotKey", TextFromHotKey(code)); }

std::wstring LoadPath() { return std::wstring(BeforeNul(Get(L"SHBFFDialog", L"Path", L"C:\\"))); }
void StorePath(std::wstring_view path) { Save(L"SHBFFDialog", L"Path", BeforeNul(path)); }

bool LoadRecurse() { return RecurseFromText(Get(L"SHBFFDialog", L"Recurse", L"True")); }
void StoreRecurse(bool recurse) { Save(L"SHBFFDialog", L"Recurse", recurse ? L"True" : L"False"); }
}
