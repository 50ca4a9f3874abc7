#include "Playlist.h"

#include <algorithm>

namespace Playlist {
namespace {
std::wstring FromAnsi(const char *bytes, int count) {
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes, count, nullptr, 0);
    std::wstring path(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, count, path.data(), n);
    return path;
}

std::string ToUtf8(const std::wstring &text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}
}

std::optional<std::wstring> DecodePlayFile(const COPYDATASTRUCT &record) {
    if (!record.lpData) return std::nullopt;
    if (record.dwData == kPlayFile) {
        const auto *bytes = static_cast<const char *>(record.lpData);
        const auto *end = std::find(bytes, bytes + record.cbData, '\0');
        if (end == bytes + record.cbData) return std::nullopt;
        return FromAnsi(bytes, static_cast<int>(end - bytes));
    }
    if (record.dwData == kPlayFileW) {
        const auto *chars = static_cast<const wchar_t *>(record.lpData);
        const auto *end = std::find(chars, chars + record.cbData / sizeof(wchar_t), L'\0');
        if (end == chars + record.cbData / sizeof(wchar_t)) return std::nullopt;
        return std::wstring(chars, end);
    }
    return std::nullopt;
}

std::wstring Title(const std::wstring &path) {
    const size_t start = path.find_last_of(L"\\/") + 1;  // npos + 1 is 0
    const size_t dot = path.find_last_of(L'.');
    return path.substr(start, dot != std::wstring::npos && dot > start ? dot - start : std::wstring::npos);
}

bool WriteM3u(const std::wstring &file, const std::vector<std::wstring> &paths) {
    std::string text = "#EXTM3U\r\n";
    for (const auto &path : paths) text += ToUtf8(path) + "\r\n";
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(out);
    return ok;
}
}
