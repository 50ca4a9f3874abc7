#include "folders/RecordBuilder.h"

#include "core/WinampHost.h"

namespace modDirhoardEx {
bool PointAnsi(COPYDATASTRUCT &record, std::wstring_view path, std::string &ansi) {
    if (!WinampHost::ToAnsi(path, ansi)) return false;
    record.dwData = WinampHost::IPC_PLAYFILE;
    record.cbData = static_cast<DWORD>(ansi.size() + 1);  // the string's own terminator
    record.lpData = ansi.data();
    return true;
}

void PointFallback(COPYDATASTRUCT &record, std::wstring_view path, std::wstring_view shortPath, std::string &ansi) {
    if (!shortPath.empty() && PointAnsi(record, shortPath, ansi)) return;
    record.dwData = WinampHost::IPC_PLAYFILEW;
    record.cbData = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    record.lpData = const_cast<wchar_t *>(path.data());
}

std::wstring_view RecordBuilder::ShortForm(LongPath &file) {
    const wchar_t *extended = file.Extended();
    for (;;) {
        short_.resize(short_.capacity());
        const DWORD n = GetShortPathNameW(extended, short_.data(), static_cast<DWORD>(short_.size() + 1));
        if (n == 0) return {};
        if (n <= short_.size()) {
            short_.resize(n);
            break;
        }
        short_.resize(n);
    }
    return std::wstring_view(short_).substr(OrdinaryStart(short_));
}

void RecordBuilder::Build(LongPath &file, bool exact) {
    if (exact) {
        std::wstring_view shortPath = ShortForm(file);
        if (NeedsExactPath(shortPath)) shortPath = {};
        // A name with no short form of its own (CON.mp3) is named exactly by the extended form only.
        const wchar_t *extended = file.Extended();
        PointFallback(record_, extended, shortPath.empty() ? std::wstring_view(extended) : shortPath, ansi_);
    } else if (!PointAnsi(record_, file.Ordinary(), ansi_)) {
        const std::wstring_view shortPath = ShortForm(file);
        PointFallback(record_, file.Ordinary(), shortPath, ansi_);
    }
    sink_.Take(record_);
}
}
