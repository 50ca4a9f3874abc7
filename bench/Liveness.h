#pragma once
// How live the player's thread stays while "Add Dir" runs, walk by walk: pressed in the real
// folder browser, with a 10 ms timer of the player's and a thread posting it a marker every
// 10 ms, from the click to the last record, the press and the end included.
#include <windows.h>
#include <string>
#include <vector>
#include <memory>
#include "folders/Lister.h"
#include "win32/StepTimes.h"

namespace bench {
struct Stretch {
    double begin = 0, end = 0;  // ms after the click
    double Ms() const { return end - begin; }
};

// A message the player's thread took from its queue, and until when it was busy with it (the
// next one taken, or the thread's wait).
struct Dispatched {
    double begin, end;
    UINT message;
    wchar_t window[24];  // its class
};

struct WalkLiveness {
    double click = 0;             // Clock::NowMs() of the click
    double bareWalk = 0;          // ms of a bare walk of the same tree just before the click
    double firstRecord = 0;       // ms after the click
    double lastRecord = 0;        // ms after the click
    Stretch longestGap;           // between the timer's ticks, the click and the last record
    double worstMarkerMs = 0;     // from a marker's post to its dispatch
    long sent = 0;
    std::vector<StepTimes::Step> steps;  // ours, on the player's thread, during the walk
    std::vector<Dispatched> dispatched;  // everything the thread took from its queue then
};

// What the platform alone takes on the player's thread in the folder browser, medians of five:
// the tree giving up the focus to "Add Dir" (as a click on the button makes it) and repainting
// for it, and the tree repainting whole.
struct TreeCosts {
    double focusToAddDir = 0, repaint = 0;
};

// Where the keyboard focus is just before each click: in the tree, as after a click on a folder
// (the click then takes it to "Add Dir", and Wine repaints the tree whole), or on "Add Dir"
// already, as for a keyboard user or a second press.
enum class FocusBefore { Tree, AddDir };

// `walks` presses of "Add Dir" on `root`, each waited for to its end; `media` is how many
// records one walk sends. Empty when the browser did not open or a walk did not end. The
// platform's own costs go to `tree` where given.
std::vector<WalkLiveness> BrowserWalks(const std::wstring &root, long media, int walks,
                                       std::shared_ptr<const folders::Lister> lister, FocusBefore focus,
                                       TreeCosts *tree = nullptr);

// What a screen reader is told during one walk of `root` pressed with the focus on "Add Dir":
// each focus change and live-region announcement, ms after the click, with the text it reads.
struct Heard {
    double at;
    bool focus;  // else an announcement
    std::wstring text;
};
std::vector<Heard> ScreenReaderDuring(const std::wstring &root, long media);

// What the player's thread spends on a press during a walk (it waits its turn) beside a press
// that starts one, medians of five, in ms.
struct PressCosts {
    double starting = 0, queued = 0;
};
PressCosts PressCostsDuring(const std::wstring &root, const std::wstring &other, long media);
}
