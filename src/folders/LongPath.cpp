#include "folders/LongPath.h"

#include <algorithm>

namespace folders {
namespace {
constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";
constexpr size_t kUncMark = 6;  // the 'C' of "\\?\UNC\" that becomes the second backslash of "\\"
}

bool NeedsExactName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    if (name.back() == L'.' || name.back() == L' ') return true;
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    const auto is = [&](std::wstring_view device) {
        return base.size() == device.size() &&
               CompareStringOrdinal(base.data(), static_cast<int>(base.size()), device.data(),
                                    static_cast<int>(device.size()), TRUE) == CSTR_EQUAL;
    };
    for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (is(device)) return true;
    if (base.size() != 4) return false;
    const wchar_t digit = base[3];
    // The superscript digits count as well.
    const bool number = (digit >= L'0' && digit <= L'9') || digit == L'\u00b9' || digit == L'\u00b2' || digit == L'\u00b3';
    base.remove_suffix(1);
    return number && (is(L"COM") || is(L"LPT"));
}

bool NeedsExactPath(std::wstring_view path) {
    size_t start = path.starts_with(L"\\\\") ? 2 : 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find(L'\\', start), path.size());
        if (NeedsExactName(path.substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

size_t OrdinaryStart(std::wstring &text) {
    if (text.starts_with(kExtendedUnc)) {
        text[kUncMark] = L'\\';
        return kUncMark;
    }
    return text.starts_with(kExtended) ? kExtended.size() : 0;
}

std::wstring OrdinaryForm(std::wstring path) {
    std::wstring ordinary = path;
    ordinary.erase(0, OrdinaryStart(ordinary));
    return NeedsExactPath(ordinary) ? path : ordinary;
}

bool LongPath::Assign(std::wstring_view folder) {
    text_.clear();
    if (folder.empty()) return false;
    std::wstring given(folder);
    std::replace(given.begin(), given.end(), L'/', L'\\');
    const bool absolute = given.starts_with(L"\\\\") || (given.size() >= 3 && given[1] == L':' && given[2] == L'\\');
    std::wstring full;
    if (absolute && NeedsExactPath(given)) {
        // Resolving would drop the trailing dot or turn the name into its device.
        full = std::move(given);
    } else {
        full.assign(MAX_PATH, L'\0');
        DWORD n = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n >= full.size()) {
            full.resize(n);
            n = GetFullPathNameW(given.c_str(), n, full.data(), nullptr);
        }
        if (n == 0 || n >= full.size()) return false;
        full.resize(n);
    }

    std::wstring_view rest = full;
    if (rest.starts_with(kExtended)) {
        unc_ = rest.starts_with(kExtendedUnc);
        text_ = full;
    } else if (rest.starts_with(L"\\\\")) {
        unc_ = true;
        text_.assign(kExtendedUnc).append(rest.substr(2));
    } else {
        unc_ = false;
        text_.assign(kExtended).append(rest);
    }
    ordinary_ = unc_ ? kExtendedUnc.size() : kExtended.size();
    // "C:\" and "C:\Music\" alike: every later name is joined with one backslash.
    while (text_.size() > ordinary_ + 1 && text_.back() == L'\\') text_.pop_back();
    return true;
}

size_t LongPath::Push(const wchar_t *name) {
    const size_t mark = text_.size();
    text_.push_back(L'\\');
    text_.append(name);
    return mark;
}

std::wstring_view LongPath::Ordinary() const {
    if (!unc_) return std::wstring_view(text_).substr(ordinary_);
    // \\?\UNC\server\... -> \\server\...: a copy, so that the extended form stays whole.
    uncOrdinary_.assign(1, L'\\').append(text_, kExtendedUnc.size() - 1, std::wstring::npos);
    return uncOrdinary_;
}
}
