#pragma once
// The player's playlist: paths arriving as play-file records, written out as an M3U file.
#include <windows.h>
#include <optional>
#include <string>
#include <vector>

namespace Playlist {
// The path a WM_COPYDATA record carries: command 100 is an ANSI path, 1100 a UTF-16 one,
// each ending in a zero that cbData counts. Nothing for other commands or malformed records.
std::optional<std::wstring> DecodePlayFile(const COPYDATASTRUCT &record);

// Writes "#EXTM3U" and one path a line, UTF-8 without byte-order mark, CRLF line ends.
bool WriteM3u(const std::wstring &file, const std::vector<std::wstring> &paths);
}
