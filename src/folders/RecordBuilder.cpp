#include "folders/RecordBuilder.h"

#include "core/WinampHost.h"

namespace folders {
bool PointAnsi(COPYDATASTRUCT &record, std::wstring_view path, std::string &ansi) {
    if (!WinampHost::ToAnsi(path, ansi)) return false;
    record.dwData = WinampHost::IPC_PLAYFILE;
    record.cbData = static_cast<DWORD>(ansi.size() + 1);  // the string's own terminator
    record.lpData = ansi.data();
    return true;
}

void PointWide(COPYDATASTRUCT &record, std::wstring_view path) {
    record.dwData = WinampHost::IPC_PLAYFILEW;
    record.cbData = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    record.lpData = const_cast<wchar_t *>(path.data());
}

std::wstring_view RecordBuilder::ShortForm(const LongPath &file) {
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

void RecordBuilder::Build(const LongPath &file, bool exact) {
    const COPYDATASTRUCT *shortForm = nullptr;
    if (exact) {
        // The ordinary form names something else: the short form, which names the file, or
        // else the extended form (a name like CON.mp3 has no short form of its own).
        std::wstring_view shortPath = ShortForm(file);
        if (NeedsExactPath(shortPath)) shortPath = {};
        const std::wstring_view extended = file.Extended();
        if (!PointAnsi(record_, shortPath.empty() ? extended : shortPath, ansi_)) PointWide(record_, extended);
    } else if (!PointAnsi(record_, file.Ordinary(), ansi_)) {
        // Whole, as the user named it: a short form is not what the playlist should show, and a
        // saved playlist would break on another disk. The short form waits for an older player.
        const std::wstring_view shortPath = ShortForm(file);
        if (!shortPath.empty() && PointAnsi(shortRecord_, shortPath, shortAnsi_)) shortForm = &shortRecord_;
        PointWide(record_, file.Ordinary());
    }
    sink_.Take(record_, shortForm);
}
}
