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

// Where a walk's records go instead of the player: a walk on a worker thread collects them
// for the interface thread to send.
class RecordSink {
public:
    // `record` and what it points to last for the call only.
    virtual void Take(const COPYDATASTRUCT &record) = 0;

protected:
    ~RecordSink() = default;
};

class PlaySender {
public:
    PlaySender(HWND player, COPYDATASTRUCT &record) : player_(player), record_(record) {}
    PlaySender(RecordSink &sink, COPYDATASTRUCT &record) : sink_(&sink), record_(record) {}
    // `file` holds the file's path; `exact` when its ordinary form names something else.
    // Points the record at the file's play-file form (setting its kind) and sends it.
    void Send(LongPath &file, bool exact);

private:
    std::wstring_view ShortForm(LongPath &file);

    HWND player_ = nullptr;
    RecordSink *sink_ = nullptr;
    COPYDATASTRUCT &record_;
    std::string ansi_;
    std::wstring short_;
};
}
