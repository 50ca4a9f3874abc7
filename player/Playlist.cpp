#include "Playlist.h"

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
    if (record.dwData == 100 && record.cbData >= 1) {
        const auto *bytes = static_cast<const char *>(record.lpData);
        // Never read past what was sent, whether or not the sender ended it with a zero.
        int count = 0;
        while (static_cast<DWORD>(count) < record.cbData && bytes[count]) ++count;
        return FromAnsi(bytes, count);
    }
    if (record.dwData == 1100 && record.cbData >= sizeof(wchar_t)) {
        const auto *chars = static_cast<const wchar_t *>(record.lpData);
        size_t count = 0;
        while (count < record.cbData / sizeof(wchar_t) && chars[count]) ++count;
        return std::wstring(chars, count);
    }
    return std::nullopt;
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
