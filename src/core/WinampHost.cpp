#include "WinampHost.h"

namespace WinampHost {
WireRecord WireRecord::Ansi(std::string bytes) {
    WireRecord r;
    r.bytes_ = std::move(bytes);
    r.bytes_.push_back('\0');
    r.cds_.dwData = IPC_PLAYFILE;
    r.Point();
    return r;
}

WireRecord WireRecord::Wide(std::wstring_view path) {
    WireRecord r;
    r.bytes_.assign(reinterpret_cast<const char *>(path.data()), path.size() * sizeof(wchar_t));
    r.bytes_.append(sizeof(wchar_t), '\0');
    r.cds_.dwData = IPC_PLAYFILEW;
    r.Point();
    return r;
}

WireRecord::WireRecord(WireRecord &&o) noexcept : bytes_(std::move(o.bytes_)), cds_(o.cds_) { Point(); }

WireRecord &WireRecord::operator=(WireRecord &&o) noexcept {
    bytes_ = std::move(o.bytes_);
    cds_ = o.cds_;
    Point();
    return *this;
}

void WireRecord::Point() {
    cds_.cbData = static_cast<DWORD>(bytes_.size());
    cds_.lpData = bytes_.data();
}

bool ToAnsi(std::wstring_view path, std::string &out) {
    out.clear();
    if (path.empty()) return true;
    const int n = static_cast<int>(path.size());
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), n, nullptr, 0, nullptr, &lossy);
    if (size <= 0) return false;
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), n, out.data(), size, nullptr, &lossy);
    return !lossy;
}

WireRecord MakeRecord(std::wstring_view path) {
    std::string ansi;
    if (ToAnsi(path, ansi)) return WireRecord::Ansi(std::move(ansi));
    return WireRecord::Wide(path);
}

void Send(HWND player, const WireRecord &record) { Send(player, *record.Data()); }

void Send(HWND player, const COPYDATASTRUCT &record) {
    SendMessageA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}
}
