#pragma once
// Watches from a second thread for message boxes with a given title, notes what each one
// said and dismisses it, so code that shows boxes can run to its end inside a test.
#include <windows.h>
#include <atomic>
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
    explicit BoxCatcher(std::wstring caption = L"DirhoardEx");
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher &) = delete;
    BoxCatcher &operator=(const BoxCatcher &) = delete;

    std::vector<CaughtBox> Boxes() const;

private:
    void Watch();
    std::wstring caption_;
    mutable std::mutex mutex_;
    std::vector<CaughtBox> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
}
