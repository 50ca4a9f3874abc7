#pragma once
// Waits on a second thread for a message box with the given caption, keeps its text and
// closes it, so code that shows a modal box can run on the test thread.
#include <windows.h>
#include <atomic>
#include <string>
#include <thread>

namespace test {
class BoxCloser {
public:
    explicit BoxCloser(std::wstring caption, DWORD timeoutMs = 10000);
    ~BoxCloser();
    // Joins the watcher; true when a box came and was closed.
    bool Finish();
    const std::wstring &Text() const { return text_; }

private:
    std::wstring caption_;
    DWORD timeoutMs_;
    std::wstring text_;
    bool seen_ = false;
    std::thread watcher_;
};
}
