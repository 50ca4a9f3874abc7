#pragma once
// Sends one file to the player as a play-file record, reusing its buffers from file to file.
#include <windows.h>
#include <string>
#include <string_view>
#include "folders/LongPath.h"

namespace modDirhoardEx {
// Points `record` at the ANSI form of `path` when the code page holds it exactly; `ansi`
// keeps the bytes. False leaves the record alone.
bool PointAnsi(COPYDATASTRUCT &record, std::wstring_view path, std::string &ansi);
// For a path the code page cannot hold: its short form when that converts exactly, else the
// path itself as UTF-16. `path` must be followed by a NUL in memory.
void PointFallback(COPYDATASTRUCT &record, std::wstring_view path, std::wstring_view shortPath, std::string &ansi);

class PlaySender {
public:
    PlaySender(HWND player, COPYDATASTRUCT &record) : player_(player), record_(record) {}
    // `file` holds the file's path; `exact` when its ordinary form names something else.
    void Send(LongPath &file, bool exact);

private:
    std::wstring_view ShortForm(LongPath &file);

    HWND player_;
    COPYDATASTRUCT &record_;
    std::string ansi_;
    std::wstring short_;
};
}
