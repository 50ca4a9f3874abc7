#include "core/WinampHost.h"

#include <algorithm>
#include <cstring>
#include "win32/StepTimes.h"

namespace WinampHost {
bool ToAnsi(std::wstring_view path, std::string &out) { return ToCodePage(path, out, GetACP()); }

bool ToCodePage(std::wstring_view path, std::string &out, UINT codePage) {
    out.clear();
    if (path.empty()) return true;
    const int n = static_cast<int>(path.size());
    // UTF-8 holds every character but an unpaired surrogate, which it refuses only when told
    // to; it refuses the loss report.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL *report = utf8 ? nullptr : &lossy;
    const int size = WideCharToMultiByte(codePage, flags, path.data(), n, nullptr, 0, nullptr, report);
    if (size <= 0) return false;
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage, flags, path.data(), n, out.data(), size, nullptr, report);
    return !lossy;
}

namespace {
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool CouldBeExtension(std::string_view entry) {
    return std::all_of(entry.begin(), entry.end(), [](char c) {
        return c >= 0x20 && c <= 0x7E && c != '.' && c != '\\' && c != '/' && c != '*' && c != '?';
    });
}
}

ExtensionList ExtensionList::Parse(const char *bytes, size_t size) {
    ExtensionList list;
    for (size_t start = 0; start < size;) {
        const char *end = static_cast<const char *>(std::memchr(bytes + start, '\0', size - start));
        if (!end) break;
        const std::string_view entry(bytes + start, static_cast<size_t>(end - bytes) - start);
        if (entry.empty()) {
            std::sort(list.entries_.begin(), list.entries_.end());
            list.entries_.erase(std::unique(list.entries_.begin(), list.entries_.end()), list.entries_.end());
            return list;
        }
        if (list.entries_.size() < kMaxEntries && CouldBeExtension(entry)) {
            std::string lower(entry);
            std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
            list.entries_.push_back(std::move(lower));
        }
        start += entry.size() + 1;
    }
    return {};
}

bool ExtensionList::Contains(std::wstring_view extension) const {
    if (entries_.empty() || extension.empty()) return false;
    std::string lower;
    lower.reserve(extension.size());
    for (wchar_t c : extension) {
        if (c < 0x20 || c > 0x7E) return false;
        lower.push_back(Lower(static_cast<char>(c)));
    }
    return std::binary_search(entries_.begin(), entries_.end(), lower);
}

ExtensionList AskExtensions(HWND player) {
    const StepTimes::Timed step("press: the player's extension list");
    const LRESULT answer = SendMessageA(player, WM_WA_IPC, 0, IPC_GET_EXTLIST);
    if (!answer) return {};
    const auto block = reinterpret_cast<HGLOBAL>(answer);
    // Whatever the answer is, nothing is read or freed that the system does not know as a block.
    SetLastError(ERROR_SUCCESS);
    const SIZE_T size = GlobalSize(block);
    if (size == 0 && GetLastError() != ERROR_SUCCESS) return {};
    ExtensionList list;
    if (const void *bytes = size ? GlobalLock(block) : nullptr) {
        list = ExtensionList::Parse(static_cast<const char *>(bytes), size);
        GlobalUnlock(block);
    }
    GlobalFree(block);
    return list;
}

LRESULT Send(HWND player, const COPYDATASTRUCT &record) {
    return SendMessageA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

bool TakesWideRecords(HWND player) {
    return SendMessageA(player, WM_WA_IPC, 0, IPC_GETVERSION) >= kFirstWideVersion;
}

const COPYDATASTRUCT *PlayFileSender::Pick(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) const {
    return record.dwData != IPC_PLAYFILEW || wide_ ? &record : shortForm;
}

bool PlayFileSender::Send(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) const {
    const COPYDATASTRUCT *sent = Pick(record, shortForm);
    if (sent) WinampHost::Send(player_, *sent);
    return sent != nullptr;
}
}
