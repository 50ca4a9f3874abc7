#include "BoxCloser.h"

#include "Wait.h"

namespace test {
BoxCloser::BoxCloser(std::wstring caption, DWORD timeoutMs) : caption_(std::move(caption)), timeoutMs_(timeoutMs) {
    watcher_ = std::thread([this] {
        HWND box = WaitForMessageBox(caption_.c_str(), nullptr, timeoutMs_);
        if (!box) return;
        for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
             child = FindWindowExW(box, child, L"Static", nullptr)) {
            const std::wstring text = WindowText(child);
            if (!text.empty()) text_ = text;
        }
        seen_ = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

BoxCloser::~BoxCloser() { Finish(); }

bool BoxCloser::Finish() {
    if (watcher_.joinable()) watcher_.join();
    return seen_;
}
}
