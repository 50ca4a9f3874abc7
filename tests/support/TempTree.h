#pragma once
// A folder tree under %TEMP% that the test builds and that is removed afterwards, links and all.
#include <windows.h>
#include <string>
#include "Wait.h"

namespace test {
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    const std::wstring &Root() const { return root_; }
    // Paths are relative to the root, with backslashes; parents are made as needed.
    std::wstring Folder(const std::wstring &relative) const;
    std::wstring File(const std::wstring &relative) const;
    std::wstring Path(const std::wstring &relative) const { return root_ + L"\\" + relative; }

private:
    std::wstring root_;
};

// A Unix symbolic link `link` -> `target` in Wine's file system, the way a user's
// junction or link looks to the walker. False when it could not be made.
bool MakeUnixSymlink(const std::wstring &target, const std::wstring &link);
// The Unix path Wine maps a Windows path to.
std::string UnixPath(const std::wstring &path);
// Runs a Unix program (absolute path, arguments without spaces) and waits until `done()`.
bool RunUnix(const std::wstring &commandLine, bool (*done)(const std::wstring &), const std::wstring &subject,
             DWORD timeoutMs = kTimeoutMs);
// Runs shell commands in `folder` and waits until they are done: thousands of files made or
// removed by the Unix side take seconds, through Wine minutes.
bool RunShell(const std::wstring &folder, const std::string &commands, DWORD timeoutMs = 60000);
}
