#pragma once
// Every wait in the tests has a deadline, so a fault fails a test instead of hanging CI.
#include <windows.h>
#include <functional>
#include <string>

namespace test {
inline constexpr DWORD kTimeoutMs = 10000;

// Dispatches this thread's messages until pred() holds or the time is up.
bool PumpUntil(const std::function<bool()> &pred, DWORD timeoutMs = kTimeoutMs);
// Dispatches whatever is queued now.
void PumpPending();
// Polls (without pumping: for a second thread) until pred() holds or the time is up.
bool PollUntil(const std::function<bool()> &pred, DWORD timeoutMs = kTimeoutMs);

// A visible top-level window of this process with the given caption, or null after the timeout.
HWND WaitForWindow(const wchar_t *caption, DWORD timeoutMs = kTimeoutMs);
// How many visible top-level windows of this process have the given caption.
int CountWindows(const wchar_t *caption);
// The message box with this caption whose static text is `text` (any text when null), shown
// by this process or, given its id, by another.
HWND WaitForMessageBox(const wchar_t *caption, const wchar_t *text = nullptr, DWORD timeoutMs = kTimeoutMs,
                       DWORD process = 0);
std::wstring WindowText(HWND window);
// A child of `parent` of the given class whose text is `text` (any text when null).
HWND FindChild(HWND parent, const wchar_t *className, const wchar_t *text = nullptr);
// Clicks a button the way a user's click ends: BM_CLICK, sent from the calling thread.
void Click(HWND button);
}
