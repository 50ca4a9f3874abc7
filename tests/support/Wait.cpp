#include "Wait.h"

#include <vector>

namespace test {
void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()> &pred, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!pred()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

bool PollUntil(const std::function<bool()> &pred, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!pred()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
    return true;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    // WM_GETTEXT, unlike GetWindowText, also reads controls of other threads.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

namespace {
struct Search {
    const wchar_t *caption;
    HWND found;
    int count = 0;
    DWORD process = GetCurrentProcessId();
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    auto *search = reinterpret_cast<Search *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->process || !IsWindowVisible(window)) return TRUE;
    if (WindowText(window) != search->caption) return TRUE;
    if (!search->found) search->found = window;  // the first, topmost in z-order
    ++search->count;
    return TRUE;
}
}

int CountWindows(const wchar_t *caption) {
    Search search{caption, nullptr};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

HWND WaitForWindow(const wchar_t *caption, DWORD timeoutMs) {
    Search search{caption, nullptr};
    PollUntil([&] {
        EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

HWND FindChild(HWND parent, const wchar_t *className, const wchar_t *text) {
    for (HWND child = FindWindowExW(parent, nullptr, className, nullptr); child;
         child = FindWindowExW(parent, child, className, nullptr)) {
        if (!text || WindowText(child) == text) return child;
    }
    return nullptr;
}

HWND WaitForMessageBox(const wchar_t *caption, const wchar_t *text, DWORD timeoutMs, DWORD process) {
    HWND box = nullptr;
    PollUntil([&] {
        Search search{caption, nullptr, 0, process ? process : GetCurrentProcessId()};
        EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
        if (!search.found) return false;
        wchar_t cls[64] = {};
        GetClassNameW(search.found, cls, 64);
        if (std::wstring(cls) != L"#32770") return false;
        if (text && !FindChild(search.found, L"Static", text)) return false;
        box = search.found;
        return true;
    }, timeoutMs);
    return box;
}

void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
}
