#pragma once
// One file's play-file record, built in buffers reused from file to file.
#include <windows.h>
#include <string>
#include <string_view>
#include "folders/LongPath.h"

namespace folders {
// Points `record` at the ANSI form of `path` when the code page holds it exactly; `ansi`
// keeps the bytes. False leaves the record alone.
bool PointAnsi(COPYDATASTRUCT &record, std::wstring_view path, std::string &ansi);
// Points `record` at `path` as UTF-16; `path` must be followed by a NUL in memory.
void PointWide(COPYDATASTRUCT &record, std::wstring_view path);

// Where the records go. The player's thread alone sends them: a walk on a worker hands them
// over to it.
class RecordSink {
public:
    // `record` and what it points to last for the call only. `shortForm`, for a UTF-16 record,
    // is the file's short form as an ANSI record, for a player too old for UTF-16 ones; null
    // where the file has none.
    virtual void Take(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) = 0;

protected:
    ~RecordSink() = default;
};

class RecordBuilder {
public:
    explicit RecordBuilder(RecordSink &sink) : sink_(sink) {}
    // `file` holds the file's path; `exact` when its ordinary form names something else.
    // Builds the file's play-file record, its kind set, and hands it to the sink.
    void Build(const LongPath &file, bool exact);

private:
    std::wstring_view ShortForm(const LongPath &file);

    RecordSink &sink_;
    COPYDATASTRUCT record_{}, shortRecord_{};
    std::string ansi_, shortAnsi_;
    std::wstring short_;
};
}
