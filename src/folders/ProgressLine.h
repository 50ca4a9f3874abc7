#pragma once
// The line under the folder tree that tells how the adding goes. The eye reads it change every
// 100 ms; a screen reader hears it as a polite live region, told only when a folder's walk
// starts, at most every 5 s during a walk, and at the end, as the line never has the focus.
// The player's thread only.
#include <windows.h>
#include <string>
#include <string_view>

namespace folders {
// "1 file", "1,204 files": the count grouped as the user's locale groups numbers.
std::wstring FilesText(size_t files);

class ProgressLine {
public:
    static constexpr double kAnnounceEveryMs = 5000;

    ProgressLine() = default;
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    // Made hidden in `dialog`, placed under the tree that `holder` holds, a live region where
    // the platform can.
    void Create(HWND dialog, HWND holder);
    // Before the dialog goes: what the screen reader was told of it is taken back.
    void Destroy();
    // Between the tree and the buttons, as wide as the tree; the tree gives up room where the
    // dialog left too little.
    void Place(HWND dialog, HWND holder);
    HWND Window() const { return line_; }

    // A folder's walk starts with `sent` files added before it in this run: shown and spoken.
    void Starting(size_t sent, std::wstring_view folder, size_t waiting);
    // During a walk: shown; spoken when the last was kAnnounceEveryMs ago.
    void Walking(size_t sent, std::wstring_view folder, size_t waiting);
    // Another folder waits, or one fewer: shown at once, and spoken, as the user's own press.
    void Waiting(size_t waiting);
    // The run is over: "Added 1,500 files." or "Stopped: added 312 files.", shown and spoken.
    void Ended(size_t sent, bool stopped);
    // The dialog's WM_DRAWITEM for the line: the folder gives up the room the rest needs.
    void Draw(const DRAWITEMSTRUCT &item) const;

private:
    void Show(std::wstring head, std::wstring_view folder, size_t waiting);
    void Announce();

    HWND line_ = nullptr;
    // What the line shows: head, folder, then how many wait.
    std::wstring head_, folder_, tail_;
    double announcedAt_ = 0;
};
}
