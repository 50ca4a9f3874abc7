#include "core/WinampHost.h"

namespace WinampHost {
bool ToAnsi(std::wstring_view path, std::string &out) {
    out.clear();
    if (path.empty()) return true;
    const int n = static_cast<int>(path.size());
    // UTF-8 as the ANSI code page holds every character, and refuses the loss report.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL *report = utf8 ? nullptr : &lossy;
    const int size = WideCharToMultiByte(CP_ACP, flags, path.data(), n, nullptr, 0, nullptr, report);
    if (size <= 0) return false;
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, flags, path.data(), n, out.data(), size, nullptr, report);
    return !lossy;
}

void Send(HWND player, const COPYDATASTRUCT &record) {
    SendMessageA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}
}
