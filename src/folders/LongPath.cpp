#include "LongPath.h"

namespace modDirhoardEx {
namespace {
constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";
constexpr size_t kUncMark = 6;  // the 'C' of "\\?\UNC\" that becomes the second backslash of "\\"
}

size_t OrdinaryStart(std::wstring &text) {
    if (text.starts_with(kExtendedUnc)) {
        text[kUncMark] = L'\\';
        return kUncMark;
    }
    return text.starts_with(kExtended) ? kExtended.size() : 0;
}

bool LongPath::Assign(std::wstring_view folder) {
    text_.clear();
    if (folder.empty()) return false;
    const std::wstring given(folder);
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = GetFullPathNameW(given.c_str(), n, full.data(), nullptr);
    }
    if (n == 0 || n >= full.size()) return false;
    full.resize(n);

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
    ordinary_ = unc_ ? kUncMark : kExtended.size();
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

const wchar_t *LongPath::Extended() {
    if (unc_) text_[kUncMark] = L'C';
    return text_.c_str();
}

std::wstring_view LongPath::Ordinary() {
    if (unc_) text_[kUncMark] = L'\\';
    return std::wstring_view(text_).substr(ordinary_);
}
}
