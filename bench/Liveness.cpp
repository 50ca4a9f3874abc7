#include "Liveness.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <functional>
#include <thread>
#include "win32/Clock.h"
#include "win32/Module.h"
#include "win32/WindowClass.h"
#include "core/Settings.h"
#include "core/modGlobalDefinitions.h"
#include "folders/modDirhoardEx.h"
#include "Walks.h"

namespace bench {
namespace {
constexpr UINT_PTR kProbeTimer = 7;
constexpr UINT kMarker = WM_APP + 20;
constexpr UINT kRunHere = WM_APP + 21;
constexpr DWORD kWalkDeadlineMs = 120000;

struct Marker {
    WPARAM index;
    double at;
};

// What the player's thread saw. Written there only; read once the browser has closed.
struct Seen {
    long media = 0;
    std::atomic<long> copies{0}, tickCount{0};
    std::vector<double> ticks, firstRecords, lastRecords;
    std::vector<Marker> markersTaken;
} seen;

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const double now = Clock::NowMs();
    switch (message) {
    case WM_COPYDATA: {
        const long n = ++seen.copies;
        if ((n - 1) % seen.media == 0) seen.firstRecords.push_back(now);
        if (n % seen.media == 0) seen.lastRecords.push_back(now);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam != kProbeTimer) break;
        seen.ticks.push_back(now);
        ++seen.tickCount;
        return 0;
    case kMarker: seen.markersTaken.push_back({wParam, now}); return 0;
    case kRunHere: (*reinterpret_cast<const std::function<void()> *>(lParam))(); return 0;
    case WM_USER:
        // The real player's answer: the kinds it plays, then an empty entry and some slack.
        if (lParam == 292 && wParam != 1) {
            static const char list[] = "DHM\0";
            HGLOBAL block = GlobalAlloc(GPTR, sizeof list + 1024);
            if (block) std::memcpy(block, list, sizeof list);
            return reinterpret_cast<LRESULT>(block);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakePlayer() {
    WindowClass::Register(L"DirhoardExBenchPlayer", PlayerProc);
    return CreateWindowExW(0, L"DirhoardExBenchPlayer", L"live player", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, Module::Instance(), nullptr);
}

// The player's window, with the browser set to open on `root`, recursing; one walk of it sends
// `media` records.
HWND NewPlayer(const std::wstring &root, long media) {
    HWND player = MakePlayer();
    modGlobalDefinitions::hWndWinamp = player;
    Settings::StorePath(root);
    Settings::StoreRecurse(true);
    seen.media = media;
    seen.copies = 0;
    return player;
}

// Every message the player's thread takes, whichever loop takes it.
std::vector<Dispatched> taken;
LRESULT CALLBACK TakenHook(int code, WPARAM removed, LPARAM lParam) {
    if (code >= 0 && removed == PM_REMOVE) {
        const MSG &msg = *reinterpret_cast<const MSG *>(lParam);
        const double now = Clock::NowMs();
        if (!taken.empty()) taken.back().end = now;
        Dispatched d{now, now, msg.message, L"(thread)"};
        if (msg.hwnd) GetClassNameW(msg.hwnd, d.window, 24);
        taken.push_back(d);
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}

bool WaitFor(const std::function<bool()> &done, DWORD ms) {
    const double deadline = Clock::NowMs() + ms;
    while (!done()) {
        if (Clock::NowMs() > deadline) return false;
        Sleep(1);
    }
    return true;
}

// The line under the tree, once a walk has shown it.
HWND Line(HWND dialog) {
    for (HWND child = FindWindowExW(dialog, nullptr, L"Static", nullptr); child;
         child = FindWindowExW(dialog, child, L"Static", nullptr)) {
        wchar_t text[16] = {};
        GetWindowTextW(child, text, 16);
        if (IsWindowVisible(child) && (std::wcsncmp(text, L"Add", 3) == 0 || std::wcsncmp(text, L"Stopped", 7) == 0))
            return child;
    }
    return nullptr;
}

// The walks are over: the line says what was added.
bool Over(HWND dialog) {
    wchar_t text[16] = {};
    if (HWND line = Line(dialog)) GetWindowTextW(line, text, 16);
    return std::wcsncmp(text, L"Added ", 6) == 0;
}

// On the player's thread, from another: `work` runs between its messages.
void RunOn(HWND player, const std::function<void()> &work) {
    SendMessageW(player, kRunHere, 0, reinterpret_cast<LPARAM>(&work));
}

// "Add Dir" adds `folder`, whatever the tree shows.
void Select(HWND player, const std::wstring &folder) {
    RunOn(player, [&] {
        const size_t n = std::min(folder.size(), modDirhoardEx::kPathChars - 1);
        std::copy_n(folder.c_str(), n, modDirhoardEx::SelectedPath);
        modDirhoardEx::SelectedPath[n] = L'\0';
    });
}

void FocusOn(HWND player, HWND dialog, HWND control) {
    RunOn(player, [&] { SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); });
}

HWND TreeOf(HWND dialog) {
    HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
    for (HWND child = FindWindowExW(dialog, nullptr, nullptr, nullptr); !tree && child;
         child = FindWindowExW(dialog, child, nullptr, nullptr))
        tree = FindWindowExW(child, nullptr, L"SysTreeView32", nullptr);
    return tree;
}

// The longest stretch between the timer's ticks in [from, to], the edges included.
Stretch LongestGap(const std::vector<double> &ticks, double from, double to) {
    Stretch longest;
    double previous = from;
    const auto consider = [&](double at) {
        if (at - previous > longest.Ms()) longest = {previous - from, at - from};
        previous = at;
    };
    for (double tick : ticks)
        if (tick > from && tick <= to) consider(tick);
    consider(to);
    return longest;
}

// Medians of five, on the player's thread, once the walks are over.
TreeCosts MeasureTree(HWND dialog, HWND addDir) {
    HWND tree = TreeOf(dialog);
    if (!tree) return {};
    std::vector<double> focus, repaint;
    for (int i = 0; i < 5; ++i) {
        SetFocus(tree);
        UpdateWindow(tree);
        double start = Clock::NowMs();
        SetFocus(addDir);
        UpdateWindow(tree);
        focus.push_back(Clock::NowMs() - start);
        start = Clock::NowMs();
        RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        repaint.push_back(Clock::NowMs() - start);
    }
    std::sort(focus.begin(), focus.end());
    std::sort(repaint.begin(), repaint.end());
    return {focus[2], repaint[2]};
}
}

std::vector<WalkLiveness> BrowserWalks(const std::wstring &root, long media, int walks,
                                       std::shared_ptr<const folders::Lister> lister, FocusBefore focus,
                                       TreeCosts *costs) {
    std::vector<WalkLiveness> results;
    if (media <= 0) return results;
    HWND player = NewPlayer(root, media);
    seen.ticks.clear();
    seen.firstRecords.clear();
    seen.lastRecords.clear();
    seen.markersTaken.clear();
    std::vector<StepTimes::Step> steps;
    std::vector<double> clicks, bares;
    std::vector<Marker> markersPosted;
    std::atomic<bool> driving{true}, ok{false};

    // A user: opens nothing (the player's thread does), clicks "Add Dir" once the previous walk
    // is over, then "Finish".
    std::thread user([&] {
        HWND dialog = nullptr, addDir = nullptr;
        WaitFor([&] { return (dialog = FindWindowW(L"#32770", L"Dirhoard +")) != nullptr; }, 20000);
        WaitFor([&] { return dialog && (addDir = FindWindowExW(dialog, nullptr, L"Button", L"Add Dir")) != nullptr; },
                20000);
        if (addDir) {
            Select(player, root);
            const HWND before = focus == FocusBefore::Tree ? TreeOf(dialog) : addDir;
            bool all = true;
            for (int i = 0; i < walks && all; ++i) {
                FocusOn(player, dialog, before);
                // A user clicks once the dialog has settled: the player's thread is idle again,
                // its timer ticking.
                const long ticks = seen.tickCount;
                all = all && WaitFor([&] { return seen.tickCount >= ticks + 3; }, kWalkDeadlineMs);
                if (!all) break;
                // The platform's pace of the moment, on this thread while the player's idles.
                const double bareStart = Clock::NowMs();
                BareWalk(root);
                bares.push_back(Clock::NowMs() - bareStart);
                clicks.push_back(Clock::NowMs());
                DWORD_PTR answer = 0;
                SendMessageTimeoutW(addDir, BM_CLICK, 0, 0, SMTO_NORMAL, kWalkDeadlineMs, &answer);
                all = WaitFor([&] { return seen.copies >= (i + 1) * media; }, kWalkDeadlineMs) &&
                      WaitFor([&] { return Over(dialog); }, kWalkDeadlineMs);
            }
            ok = all;
            if (all && costs) RunOn(player, [&] { *costs = MeasureTree(dialog, addDir); });
        }
        driving = false;
        if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    // Another program's thread, posting the player a marker every 10 ms.
    std::thread poster([&] {
        for (WPARAM index = 0; driving; ++index) {
            markersPosted.push_back({index, Clock::NowMs()});
            PostMessageW(player, kMarker, index, 0);
            Sleep(10);
        }
    });

    SetTimer(player, kProbeTimer, 10, nullptr);
    taken.clear();
    taken.reserve(1 << 20);
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, TakenHook, nullptr, GetCurrentThreadId());
    StepTimes::KeepIn(&steps);
    modDirhoardEx::ShowFolderBrowser(std::move(lister));
    StepTimes::KeepIn(nullptr);
    UnhookWindowsHookEx(hook);
    KillTimer(player, kProbeTimer);
    user.join();
    poster.join();
    MSG msg;
    while (PeekMessageW(&msg, player, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    DestroyWindow(player);
    if (!ok || seen.lastRecords.size() < clicks.size() || seen.firstRecords.size() < clicks.size()) return results;

    for (size_t i = 0; i < clicks.size(); ++i) {
        WalkLiveness walk;
        walk.click = clicks[i];
        walk.bareWalk = bares[i];
        const double last = seen.lastRecords[i];
        walk.firstRecord = seen.firstRecords[i] - walk.click;
        walk.lastRecord = last - walk.click;
        walk.sent = media;
        walk.longestGap = LongestGap(seen.ticks, walk.click, last);
        for (const Marker &posted : markersPosted) {
            if (posted.at < walk.click || posted.at > last) continue;
            for (const Marker &taken : seen.markersTaken)
                if (taken.index == posted.index) walk.worstMarkerMs = std::max(walk.worstMarkerMs, taken.at - posted.at);
        }
        for (const StepTimes::Step &step : steps)
            if (step.end > walk.click && step.begin < last) walk.steps.push_back(step);
        for (const Dispatched &d : taken)
            if (d.end > walk.click && d.begin < last) walk.dispatched.push_back(d);
        results.push_back(std::move(walk));
    }
    return results;
}
}

namespace bench {
namespace {
// The browser on this, the player's, thread while `drive` acts from a second one; the player
// window takes the records.
void WithBrowser(const std::wstring &root, long media, const std::function<void(HWND player, HWND dialog)> &drive) {
    HWND player = NewPlayer(root, media);
    std::thread user([&] {
        HWND dialog = nullptr;
        if (WaitFor([&] { return (dialog = FindWindowW(L"#32770", L"Dirhoard +")) != nullptr; }, 20000)) {
            // Set up once its button reads "Add Dir".
            if (WaitFor([&] { return FindWindowExW(dialog, nullptr, L"Button", L"Add Dir") != nullptr; }, 20000))
                drive(player, dialog);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    modDirhoardEx::ShowFolderBrowser();
    user.join();
    DestroyWindow(player);
}

std::vector<Heard> *heard = nullptr;
double clickedAt = 0;
std::atomic<bool> endHeard{false};
void CALLBACK Listen(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    heard->push_back({Clock::NowMs() - clickedAt, event == EVENT_OBJECT_FOCUS, text});
    if (std::wcsncmp(text, L"Added ", 6) == 0) endHeard = true;
}
}

std::vector<Heard> ScreenReaderDuring(const std::wstring &root, long media) {
    std::vector<Heard> events;
    WithBrowser(root, media, [&](HWND player, HWND dialog) {
        HWND addDir = FindWindowExW(dialog, nullptr, L"Button", L"Add Dir");
        if (!addDir) return;
        Select(player, root);
        FocusOn(player, dialog, addDir);
        std::atomic<bool> listening{true}, ready{false};
        // A screen reader: told out of context, on a thread of its own that pumps.
        std::thread reader([&] {
            heard = &events;
            HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, 0x8019, nullptr, Listen, GetCurrentProcessId(), 0,
                                                 WINEVENT_OUTOFCONTEXT);
            ready = true;
            MSG msg;
            while (listening) {
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            }
            UnhookWinEvent(hook);
        });
        WaitFor([&] { return ready.load(); }, 5000);
        endHeard = false;
        clickedAt = Clock::NowMs();
        SendMessageTimeoutW(addDir, BM_CLICK, 0, 0, SMTO_NORMAL, kWalkDeadlineMs, nullptr);
        WaitFor([&] { return seen.copies >= media && Over(dialog); }, kWalkDeadlineMs);
        WaitFor([&] { return endHeard.load(); }, 5000);
        listening = false;
        reader.join();
    });
    return events;
}

PressCosts PressCostsDuring(const std::wstring &root, const std::wstring &other, long media) {
    std::vector<StepTimes::Step> steps;
    StepTimes::KeepIn(&steps);
    WithBrowser(root, media, [&](HWND player, HWND dialog) {
        HWND addDir = FindWindowExW(dialog, nullptr, L"Button", L"Add Dir");
        if (!addDir) return;
        FocusOn(player, dialog, addDir);
        for (int i = 0; i < 5; ++i) {
            Select(player, root);
            SendMessageTimeoutW(addDir, BM_CLICK, 0, 0, SMTO_NORMAL, kWalkDeadlineMs, nullptr);
            Select(player, other);
            SendMessageTimeoutW(addDir, BM_CLICK, 0, 0, SMTO_NORMAL, kWalkDeadlineMs, nullptr);
            WaitFor([&] { return Over(dialog); }, kWalkDeadlineMs);
        }
    });
    StepTimes::KeepIn(nullptr);
    std::vector<double> starting, queued;
    for (const StepTimes::Step &step : steps) {
        if (std::strcmp(step.name, "press: starts a walk") == 0) starting.push_back(step.end - step.begin);
        if (std::strcmp(step.name, "press: waits its turn") == 0) queued.push_back(step.end - step.begin);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    return {median(starting), median(queued)};
}
}
