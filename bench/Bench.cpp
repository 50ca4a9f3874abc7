// How fast "Add Dir" is against the platform's limit and against the direct design, how
// much memory a walk needs, how live the player stays during one, and how soon the hotkey
// brings the dialog up.
#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "HotKeyTiming.h"
#include "MediaType.h"
#include "Walks.h"
#include "win32/Clock.h"
#include "folders/FolderWalker.h"

namespace {
LONG copies = 0;
// Whether the counting player answers the extension-list query, as the real one does, or 0 as
// an older one does; the bench's media files are of a kind it lists.
bool answersExtensions = false;

using bench::Span;

// A 10 ms timer on the player's thread: the longest gap between its ticks is the longest
// stretch in which the thread dispatched nothing.
constexpr UINT_PTR kProbeTimer = 7;
struct Probe {
    bool on = false;
    double first = -1, last = -1;
    std::vector<double> ticks;
} probe;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        ++copies;
        if (probe.on) {
            probe.last = Clock::NowMs();
            if (probe.first < 0) probe.first = probe.last;
        }
        return TRUE;
    }
    if (message == WM_USER && wParam == 0 && lParam == 292) {
        if (!answersExtensions) return 0;
        static const char list[] = "DHM\0";  // and the final empty entry: the literal's own zero
        HGLOBAL block = GlobalAlloc(GMEM_FIXED, sizeof list);
        if (block) std::memcpy(block, list, sizeof list);
        return reinterpret_cast<LRESULT>(block);
    }
    if (message == WM_TIMER && wParam == kProbeTimer) {
        if (probe.on) probe.ticks.push_back(Clock::NowMs());
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A player window that only counts the play-file records it is sent.
HWND MakeCountingPlayer() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Winamp v1.x";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"counting player", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

// A walk that returns as it ends, timed from its call.
Span Timed(const std::function<void()> &walk) {
    const double start = Clock::NowMs();
    walk();
    return {start, Clock::NowMs()};
}

// Median milliseconds of `runs` walks.
double Time(int runs, const std::function<Span()> &walk) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(walk().Ms());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double PeakWorkingSetMB() {
    PROCESS_MEMORY_COUNTERS counters{sizeof counters};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

struct Liveness {
    double longestGap, first, last, total;
    long sent;
};

// One walk with the probe ticking; its figures count from the press to the walk's end.
Liveness Measure(HWND player, const std::function<Span()> &walk) {
    copies = 0;
    probe = {};
    probe.on = true;
    SetTimer(player, kProbeTimer, 10, nullptr);
    const Span span = walk();
    KillTimer(player, kProbeTimer);
    probe.on = false;
    double longest = 0, previous = span.start;
    for (double tick : probe.ticks) {
        if (tick <= span.start || tick > span.end) continue;
        longest = std::max(longest, tick - previous);
        previous = tick;
    }
    longest = std::max(longest, span.end - previous);
    return {longest, probe.first - span.start, probe.last - span.start, span.Ms(), copies};
}

// A slow share: one folder's listing takes two seconds longer.
std::wstring slowPattern;
HANDLE WINAPI SlowListing(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS search,
                          LPVOID filter, DWORD flags) {
    if (CompareStringOrdinal(pattern, -1, slowPattern.c_str(), -1, TRUE) == CSTR_EQUAL) Sleep(2000);
    return FindFirstFileExW(pattern, level, data, search, filter, flags);
}

// Each figure's median over a few walks: one walk's figures carry the machine's noise.
Liveness Median(std::vector<Liveness> walks) {
    const auto median = [&](double Liveness::*field) {
        std::sort(walks.begin(), walks.end(), [&](const Liveness &a, const Liveness &b) { return a.*field < b.*field; });
        return walks[walks.size() / 2].*field;
    };
    return {median(&Liveness::longestGap), median(&Liveness::first), median(&Liveness::last),
            median(&Liveness::total), walks.front().sent};
}

// Each tree, then the bigger one with a folder in its middle (as the walk lists it) made slow;
// the two walks take turns, three times each.
void PrintLiveness(const std::wstring &tree10k, const std::wstring &tree100k, HWND player) {
    std::wprintf(L"\n| walk (medians of 3) | longest stretch without dispatching ms | click to first record ms | "
                 L"click to last record ms | files/s | throughput / blocking |\n|---|---|---|---|---|---|\n");
    struct Case { const wchar_t *name; std::wstring tree, slow; };
    for (const Case &c : {Case{L"10,000 files", tree10k, L""}, Case{L"100,000 files", tree100k, L""},
                          Case{L"100,000 files, one folder 2 s slow", tree100k,
                               L"\\\\?\\" + tree100k + L"\\artist5\\album5\\disc5\\*"}}) {
        slowPattern = c.slow;
        std::vector<Liveness> blockingWalks, ourWalks;
        for (int i = 0; i < 3; ++i) {
            blockingWalks.push_back(
                Measure(player, [&] { return Timed([&] { bench::BlockingWalk(c.tree, player, SlowListing); }); }));
            ourWalks.push_back(Measure(player, [&] { return bench::PluginWalk(c.tree, player, SlowListing); }));
        }
        const Liveness blocking = Median(blockingWalks), ours = Median(ourWalks);
        const auto row = [&](const wchar_t *name, const Liveness &l) {
            std::wprintf(L"| %ls, %ls | %.1f | %.1f | %.1f | %.0f | %.2f |\n", name, c.name, l.longestGap, l.first,
                         l.last, 1000.0 * l.sent / l.total, blocking.total / l.total);
        };
        row(L"blocking walk", blocking);
        row(L"Add Dir", ours);
        if (ours.sent != blocking.sent)
            std::wprintf(L"warning: the background walk sent %ld files, the blocking one %ld\n", ours.sent, blocking.sent);
    }
}

struct Row {
    const wchar_t *name;
    long files, folders;
    double bare, ours, listed, direct;
    long sent;
    double peakMB;
};
}

// Usage: dirhoard_bench TREE10K TREE100K [--no-direct]
// The trees are made beforehand (scripts/bench): making and deleting 110,000 files through
// Wine would take longer than everything measured here.
int wmain(int argc, wchar_t **argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: dirhoard_bench TREE10K TREE100K [--no-direct]\n");
        return 2;
    }
    OleInitialize(nullptr);
    const bool direct = !(argc > 3 && std::wstring(argv[3]) == L"--no-direct");
    const test::MediaType media{L".dhm", L"Winamp media file"};
    HWND player = MakeCountingPlayer();

    struct Case { const wchar_t *name; std::wstring root; long folders; bool direct; };
    const std::vector<Case> cases = {{L"10,000 files", argv[1], 100, direct}, {L"100,000 files", argv[2], 1000, false}};
    std::vector<Row> rows;
    for (const Case &c : cases) {
        long files = 0, sent = 0, direct = 0;
        files = bench::BareWalk(c.root);  // the first read of a tree fills the caches for every walk after it
        Row row{c.name, files, c.folders, 0, 0, 0, 0, 0, 0};
        long sentListed = 0;
        const auto pluginWalk = [&](long &counted) {
            return [&] {
                copies = 0;
                const Span span = bench::PluginWalk(c.root, player);
                counted = copies;
                return span;
            };
        };
        row.bare = Time(5, [&] { return Timed([&] { bench::BareWalk(c.root); }); });
        row.ours = Time(5, pluginWalk(sent));
        answersExtensions = true;
        row.listed = Time(5, pluginWalk(sentListed));
        answersExtensions = false;
        if (sentListed != sent)
            std::wprintf(L"warning: with the player's list the plugin sent %ld files, without it %ld\n", sentListed, sent);
        row.sent = sent;
        row.peakMB = PeakWorkingSetMB();
        if (c.direct) row.direct = Time(1, [&] { return Timed([&] { direct = bench::DirectWalk(c.root, player); }); });
        if (c.direct && direct != sent)
            std::wprintf(L"warning: the direct design sent %ld files, the plugin %ld\n", direct, sent);
        rows.push_back(row);
    }

    const std::vector<double> hotkey = bench::HotKeyToDialogTimes(player, 20);

    std::wprintf(L"\n| tree | folders | media sent | bare walk ms | Add Dir ms | Add Dir with the player's list ms | "
                 L"direct ms | Add Dir / bare | with list / bare | direct / Add Dir | Add Dir files/s | "
                 L"peak working set MB |\n");
    std::wprintf(L"|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Row &r : rows) {
        std::wprintf(L"| %ls | %ld | %ld | %.1f | %.1f | %.1f | %ls | %.2f | %.2f | %ls | %.0f | %.1f |\n", r.name,
                     r.folders, r.sent, r.bare, r.ours, r.listed,
                     r.direct > 0 ? std::to_wstring(static_cast<long>(r.direct)).c_str() : L"-", r.ours / r.bare,
                     r.listed / r.bare,
                     r.direct > 0 ? std::to_wstring(static_cast<long>(r.direct / r.ours)).c_str() : L"-",
                     1000.0 * r.files / r.ours, r.peakMB);
    }
    if (rows.size() == 2)
        std::wprintf(L"\npeak working set growth from the 10,000- to the 100,000-file walk: %.2f MB\n",
                     rows[1].peakMB - rows[0].peakMB);
    PrintLiveness(argv[1], argv[2], player);
    if (!hotkey.empty()) {
        std::vector<double> sorted = hotkey;
        std::sort(sorted.begin(), sorted.end());
        std::wprintf(L"hotkey to dialog: median %.1f ms over %zu presses (min %.1f, max %.1f)\n",
                     sorted[sorted.size() / 2], sorted.size(), sorted.front(), sorted.back());
    } else {
        std::wprintf(L"hotkey to dialog: not measured (the dialog did not open)\n");
    }
    DestroyWindow(player);
    OleUninitialize();
    return 0;
}
