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
#include "MediaKind.h"
#include "Liveness.h"
#include "StartTiming.h"
#include "Walks.h"
#include "win32/Clock.h"
#include "win32/Module.h"
#include "win32/WindowClass.h"
#include "folders/FolderWalker.h"

namespace {
LONG copies = 0;
// Whether the counting player answers the extension-list query, as the real one does, or 0 as
// an older one does; the bench's media files are of a kind it lists.
bool answersExtensions = false;

using bench::Span;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        ++copies;
        return TRUE;
    }
    if (message == WM_USER && wParam == 0 && lParam == 292) {
        if (!answersExtensions) return 0;
        static const char list[] = "DHM\0";  // and the final empty entry: the literal's own zero
        HGLOBAL block = GlobalAlloc(GMEM_FIXED, sizeof list);
        if (block) std::memcpy(block, list, sizeof list);
        return reinterpret_cast<LRESULT>(block);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A player window that only counts the play-file records it is sent.
HWND MakeCountingPlayer() {
    WindowClass::Register(L"Winamp v1.x", CountingProc);
    return CreateWindowExW(0, L"Winamp v1.x", L"counting player", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, Module::Instance(), nullptr);
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

// A slow share: one folder's listing takes two seconds longer.
class SlowLister final : public folders::Lister {
public:
    explicit SlowLister(std::wstring pattern) : pattern_(std::move(pattern)) {}
    HANDLE FindFirst(const wchar_t *pattern, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW &entry,
                     DWORD flags) const override {
        if (CompareStringOrdinal(pattern, -1, pattern_.c_str(), -1, TRUE) == CSTR_EQUAL) Sleep(2000);
        return Lister::FindFirst(pattern, level, entry, flags);
    }

private:
    const std::wstring pattern_;
};

// The worst of a figure over the walks beside its median and best: a user feels the worst.
std::wstring Spread(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    wchar_t text[64];
    std::swprintf(text, 64, L"%.1f / %.1f (%.1f)", values.back(), values[values.size() / 2], values.front());
    return text;
}

// A ratio's median beside its worst and best.
std::wstring Ratios(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    wchar_t text[64];
    std::swprintf(text, 64, L"%.2f (%.2f to %.2f)", values[values.size() / 2], values.front(), values.back());
    return text;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What the player's thread did in a stretch: each step of ours by the time it took of it.
void PrintStretch(const wchar_t *tree, size_t walk, size_t walks, const bench::WalkLiveness &w, double nextWorst) {
    const double from = w.click + w.longestGap.begin, to = w.click + w.longestGap.end;
    std::wprintf(L"- worst stretch: %ls, walk %zu of %zu: %.1f ms, from %.1f to %.1f ms after the click "
                 L"(first record at %.1f, last at %.1f ms); ours in it:",
                 tree, walk + 1, walks, w.longestGap.Ms(), w.longestGap.begin, w.longestGap.end, w.firstRecord,
                 w.lastRecord);
    std::vector<std::pair<std::string, std::pair<double, int>>> ours;
    double total = 0;
    for (const StepTimes::Step &step : w.steps) {
        const double overlap = std::min(step.end, to) - std::max(step.begin, from);
        if (overlap <= 0) continue;
        auto it = std::find_if(ours.begin(), ours.end(), [&](const auto &o) { return o.first == step.name; });
        if (it == ours.end()) it = ours.insert(ours.end(), {step.name, {0.0, 0}});
        it->second.first += overlap;
        ++it->second.second;
        total += overlap;
    }
    for (const auto &[name, time] : ours)
        std::wprintf(L" %hs %.1f ms (%d),", name.c_str(), time.first, time.second);
    std::wprintf(L" the rest (the platform, the timer's own wait) %.1f ms\n", w.longestGap.Ms() - total);
    // What the thread took from its queue then, the longest first.
    std::vector<bench::Dispatched> longest;
    for (const bench::Dispatched &d : w.dispatched)
        if (d.end > from && d.begin < to) longest.push_back(d);
    std::sort(longest.begin(), longest.end(),
              [](const auto &a, const auto &b) { return a.end - a.begin > b.end - b.begin; });
    if (longest.size() > 4) longest.resize(4);
    std::wprintf(L"  the worst of the other walks: %.1f ms; the longest messages the thread took then:", nextWorst);
    for (const bench::Dispatched &d : longest)
        std::wprintf(L" 0x%04X to %ls %.1f ms (at %.1f),", d.message, d.window, d.end - d.begin, d.begin - w.click);
    std::wprintf(L"\n");
}

// Ten single walks on each tree, then on the bigger one with a folder in its middle (as the
// walk lists it) made slow, each pressed in the folder browser; then what held the thread in the
// worst stretch of each.
void PrintLiveness(const std::wstring &tree10k, const std::wstring &tree100k, long media10k, long media100k) {
    constexpr int kWalks = 10;
    std::wprintf(L"\n| Add Dir in the folder browser, %d single walks | longest stretch without dispatching ms, "
                 L"worst / median (best) | worst posted-marker latency ms, worst / median (best) | click to first "
                 L"record ms, worst / median (best) | click to last record ms, median | Add Dir / a bare walk just "
                 L"before it, median (range) |\n|---|---|---|---|---|---|\n",
                 kWalks);
    struct Case { std::wstring name; std::wstring tree, slow; long media; bench::FocusBefore focus; };
    struct Worst { std::wstring name; size_t index; bench::WalkLiveness walk; double next; };
    std::vector<Worst> worsts;
    bench::TreeCosts tree;
    std::vector<Case> cases;
    for (const auto focus : {bench::FocusBefore::AddDir, bench::FocusBefore::Tree}) {
        const std::wstring where = focus == bench::FocusBefore::AddDir ? L", focus on Add Dir" : L", focus in the tree";
        cases.push_back({L"10,000 files" + where, tree10k, L"", media10k, focus});
        cases.push_back({L"100,000 files" + where, tree100k, L"", media100k, focus});
        cases.push_back({L"100,000 files, one folder 2 s slow" + where, tree100k,
                         L"\\\\?\\" + tree100k + L"\\artist5\\album5\\disc5\\*", media100k, focus});
    }
    for (const Case &c : cases) {
        const std::vector<bench::WalkLiveness> walks = bench::BrowserWalks(
            c.tree, c.media, kWalks, std::make_shared<SlowLister>(c.slow), c.focus,
            c.focus == bench::FocusBefore::Tree ? &tree : nullptr);
        if (walks.empty()) {
            std::wprintf(L"| %ls | the browser did not open, or a walk did not end | | | | |\n", c.name.c_str());
            continue;
        }
        std::vector<double> gaps, markers, firsts, lasts, ratios;
        Worst worst{c.name, 0, walks[0], 0};
        for (size_t i = 0; i < walks.size(); ++i) {
            const bench::WalkLiveness &w = walks[i];
            gaps.push_back(w.longestGap.Ms());
            markers.push_back(w.worstMarkerMs);
            firsts.push_back(w.firstRecord);
            lasts.push_back(w.lastRecord);
            ratios.push_back(w.lastRecord / w.bareWalk);
            if (w.longestGap.Ms() > worst.walk.longestGap.Ms()) worst = {c.name, i, w, 0};
        }
        for (size_t i = 0; i < walks.size(); ++i)
            if (i != worst.index) worst.next = std::max(worst.next, walks[i].longestGap.Ms());
        worsts.push_back(worst);
        std::wprintf(L"| %ls | %ls | %ls | %ls | %.1f | %ls |\n", c.name.c_str(), Spread(gaps).c_str(), Spread(markers).c_str(),
                     Spread(firsts).c_str(), Median(lasts), c.slow.empty() ? Ratios(ratios).c_str() : L"-");
    }
    for (const Worst &w : worsts) PrintStretch(w.name.c_str(), w.index, kWalks, w.walk, w.next);
    std::wprintf(L"- the platform alone, in the folder browser: the tree giving the focus up to \"Add Dir\" "
                 L"%.1f ms, repainting whole %.1f ms (medians of five)\n",
                 tree.focusToAddDir, tree.repaint);
}

// A press during a walk waits for it: what that costs the player's thread beside a press that
// starts a walk.
void PrintPresses(const std::wstring &tree10k, const std::wstring &tree100k, long media10k) {
    const bench::PressCosts costs = bench::PressCostsDuring(tree10k, tree100k + L"\\artist0\\album0\\disc0", media10k);
    std::wprintf(L"- a press on the player's thread, median of five: starting a walk %.2f ms, waiting its turn during "
                 L"one %.3f ms\n",
                 costs.starting, costs.queued);
}

// What a screen reader is told during one walk of 10,000 files, the focus on "Add Dir".
void PrintScreenReader(const std::wstring &tree10k, long media10k) {
    const std::vector<bench::Heard> heard = bench::ScreenReaderDuring(tree10k, media10k);
    std::wprintf(L"\nWhat a screen reader is told during a walk of 10,000 files (ms after the click):\n");
    if (heard.empty()) std::wprintf(L"- nothing\n");
    for (const bench::Heard &h : heard)
        std::wprintf(L"- %8.1f %ls \"%ls\"\n", h.at, h.focus ? L"focus" : L"live region", h.text.c_str());
}

struct Row {
    const wchar_t *name;
    long files, folders;
    double bare, ours, listed, direct;
    long sent;
    double peakMB;
};
}

// Usage: dirhoard_bench TREE10K TREE100K [--no-direct] [--plugins FOLDER]
//        (FOLDER: gen_dirhoardex.dll, DirhoardEx.dll and trivial\gen_trivial.dll as shipped;
//        the build's own folder when none is given)
//        dirhoard_bench --start PLUGIN [--browse]   (one start of the player with PLUGIN, in a process
//                                                  of its own)
// The trees are made beforehand (scripts/bench): making and deleting 110,000 files through
// Wine would take longer than everything measured here.
int wmain(int argc, wchar_t **argv) {
    if (argc >= 3 && std::wstring(argv[1]) == L"--start")
        return bench::StartOnce(argv[2], argc > 3 && std::wstring(argv[3]) == L"--browse");
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: dirhoard_bench TREE10K TREE100K [--no-direct] [--plugins FOLDER]\n");
        return 2;
    }
    bool direct = true;
    std::wstring plugins = Module::FolderOf(nullptr);
    for (int i = 3; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--no-direct") direct = false;
        if (std::wstring(argv[i]) == L"--plugins" && i + 1 < argc) plugins = argv[++i];
    }
    // First, before anything of the plugin is loaded here: what it costs the player's start.
    bench::PrintStarts(plugins + L"\\trivial\\gen_trivial.dll", plugins + L"\\gen_dirhoardex.dll", 20);
    OleInitialize(nullptr);
    const bench::MediaKind media;
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
    const std::vector<double> slowDisk = bench::HotKeyToDialogTimesWithASlowDisk(5);

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
    PrintLiveness(argv[1], argv[2], rows[0].sent, rows[1].sent);
    PrintPresses(argv[1], argv[2], rows[0].sent);
    PrintScreenReader(argv[1], rows[0].sent);
    if (!hotkey.empty()) {
        std::vector<double> sorted = hotkey;
        std::sort(sorted.begin(), sorted.end());
        std::wprintf(L"hotkey to dialog: median %.1f ms over %zu presses (min %.1f, max %.1f)\n",
                     sorted[sorted.size() / 2], sorted.size(), sorted.front(), sorted.back());
    } else {
        std::wprintf(L"hotkey to dialog: not measured (the dialog did not open)\n");
    }
    if (!slowDisk.empty()) {
        std::vector<double> sorted = slowDisk;
        std::sort(sorted.begin(), sorted.end());
        std::wprintf(L"hotkey to dialog, the last folder on a disk that answers after 2 s: median %.1f ms over %zu "
                     L"presses (max %.1f)\n",
                     sorted[sorted.size() / 2], sorted.size(), sorted.back());
    } else {
        std::wprintf(L"hotkey to dialog, the last folder on a slow disk: the dialog did not open within 5 s\n");
    }
    DestroyWindow(player);
    OleUninitialize();
    return 0;
}
