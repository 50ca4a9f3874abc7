#pragma once
// Work done from a second thread while the test thread sits in a modal loop, as a user
// acting on a dialog would. Joined at scope end; the work itself must use timed waits.
#include <windows.h>
#include <functional>
#include <thread>
#include <vector>

namespace test {
class SecondThread {
public:
    explicit SecondThread(std::function<void()> work) : thread_(std::move(work)) {}
    ~SecondThread() { Join(); }
    SecondThread(const SecondThread &) = delete;
    SecondThread &operator=(const SecondThread &) = delete;
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

// Presses the keys in order and releases them in reverse, through the platform's input queue.
void PressChord(std::initializer_list<WORD> keys);
// Dismisses a message box the way its OK button does.
void DismissBox(HWND box);
}
