#include "BoxCatcher.h"

#include "SecondThread.h"
#include "Wait.h"

namespace test {
namespace {
CaughtBox Read(HWND box) {
    CaughtBox caught{{}, false};
    for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
         child = FindWindowExW(box, child, L"Static", nullptr)) {
        if (!IsWindowVisible(child)) continue;
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            caught.icon = caught.icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
        } else if (std::wstring text = WindowText(child); !text.empty()) {
            caught.text = text;
        }
    }
    return caught;
}
}

BoxCatcher::BoxCatcher(std::wstring caption, Answer answer, DWORD process)
    : caption_(std::move(caption)), answer_(std::move(answer)), process_(process), thread_([this] { Watch(); }) {}

BoxCatcher::~BoxCatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<CaughtBox> BoxCatcher::Boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

void BoxCatcher::Watch() {
    while (!stop_) {
        HWND box = WaitForMessageBox(caption_.c_str(), nullptr, 50, process_);
        if (!box) continue;
        CaughtBox caught = Read(box);
        const int choice = answer_ ? answer_(caught.text) : 0;
        {
            std::lock_guard lock(mutex_);
            boxes_.push_back(std::move(caught));
        }
        HWND button = choice > 0 ? GetDlgItem(box, choice) : nullptr;
        if (button && IsWindowEnabled(button)) Click(button);
        else if (choice != kLeave) DismissBox(box);
        PollUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
    }
}
}
