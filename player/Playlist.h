#pragma once
// The player's playlist: paths arriving as play-file records, written out as an M3U file.
#include <windows.h>
#include <optional>
#include <string>
#include <vector>

namespace Playlist {
inline constexpr ULONG_PTR kPlayFile = 100;    // WM_COPYDATA: an ANSI path
inline constexpr ULONG_PTR kPlayFileW = 1100;  // WM_COPYDATA: a UTF-16 path
inline bool IsPlayFile(const COPYDATASTRUCT &record) {
    return record.dwData == kPlayFile || record.dwData == kPlayFileW;
}
// The path a play-file record carries, up to its terminating zero. The player itself reads
// to that zero whatever cbData says; nothing here when the zero is not within cbData, so
// that a sender's fault shows instead of passing unnoticed.
std::optional<std::wstring> DecodePlayFile(const COPYDATASTRUCT &record);
// What the player shows of a file: its name without folder and extension.
std::wstring Title(const std::wstring &path);

// Writes "#EXTM3U" and one path a line, UTF-8 without byte-order mark, CRLF line ends.
bool WriteM3u(const std::wstring &file, const std::vector<std::wstring> &paths);
}
