#pragma once
// Watches from a second thread for message boxes with a given title, notes what each one
// said and answers it, so code that shows boxes can run to its end inside a test.
#include <windows.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace test {
struct CaughtBox {
    std::wstring text;
    bool icon;  // an icon stands beside the text
    bool operator==(const CaughtBox &) const = default;
};
// For readable test failures.
inline void PrintTo(const CaughtBox &box, std::ostream *out) {
    *out << "\"" << std::string(box.text.begin(), box.text.end()) << "\"" << (box.icon ? " with icon" : "");
}

class BoxCatcher {
public:
    // Which button a box gets (IDYES, IDNO...), chosen by its text; unset: the OK button;
    // kLeave: none, something else ends the box.
    using Answer = std::function<int(const std::wstring &text)>;
    static constexpr int kLeave = -1;
    // `process`: whose boxes, when not this process's.
    explicit BoxCatcher(std::wstring caption = L"DirhoardEx", Answer answer = {}, DWORD process = 0);
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher &) = delete;
    BoxCatcher &operator=(const BoxCatcher &) = delete;

    std::vector<CaughtBox> Boxes() const;

private:
    void Watch();
    std::wstring caption_;
    Answer answer_;
    DWORD process_;
    mutable std::mutex mutex_;
    std::vector<CaughtBox> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
}
