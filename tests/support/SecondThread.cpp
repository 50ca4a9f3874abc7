#include "SecondThread.h"

namespace test {
void PressChord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *--it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void DismissBox(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }
}
