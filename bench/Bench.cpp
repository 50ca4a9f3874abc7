// How fast "Add Dir" is against the platform's limit and against the direct design, how
// much memory a walk needs, and how soon the hotkey brings the dialog up.
#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "HotKeyTiming.h"
#include "MediaType.h"
#include "Walks.h"

namespace {
LONG copies = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) { ++copies; return TRUE; }
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

double Now() {
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median milliseconds of `runs` calls; `result` gets what the last call returned.
double Time(int runs, const std::function<long()> &walk, long &result) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        result = walk();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double PeakWorkingSetMB() {
    PROCESS_MEMORY_COUNTERS counters{sizeof counters};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

struct Row {
    const wchar_t *name;
    long files, folders;
    double bare, ours, direct;
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
        Row row{c.name, files, c.folders, 0, 0, 0, 0, 0};
        long counted = 0;
        row.bare = Time(5, [&] { return bench::BareWalk(c.root); }, counted);
        row.ours = Time(5, [&] { copies = 0; bench::PluginWalk(c.root, player); return static_cast<long>(copies); }, sent);
        row.sent = sent;
        row.peakMB = PeakWorkingSetMB();
        if (c.direct) row.direct = Time(1, [&] { return bench::DirectWalk(c.root, player); }, direct);
        if (c.direct && direct != sent)
            std::wprintf(L"warning: the direct design sent %ld files, the plugin %ld\n", direct, sent);
        rows.push_back(row);
    }

    const std::vector<double> hotkey = bench::HotKeyToDialogTimes(player, 20);

    std::wprintf(L"\n| tree | folders | media sent | bare walk ms | Add Dir ms | direct ms | Add Dir / bare | "
                 L"direct / Add Dir | Add Dir files/s | peak working set MB |\n");
    std::wprintf(L"|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Row &r : rows) {
        std::wprintf(L"| %ls | %ld | %ld | %.1f | %.1f | %ls | %.2f | %ls | %.0f | %.1f |\n", r.name, r.folders, r.sent,
                     r.bare, r.ours, r.direct > 0 ? std::to_wstring(static_cast<long>(r.direct)).c_str() : L"-",
                     r.ours / r.bare, r.direct > 0 ? std::to_wstring(static_cast<long>(r.direct / r.ours)).c_str() : L"-",
                     1000.0 * r.files / r.ours, r.peakMB);
    }
    if (rows.size() == 2)
        std::wprintf(L"\npeak working set growth from the 10,000- to the 100,000-file walk: %.2f MB\n",
                     rows[1].peakMB - rows[0].peakMB);
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
