#include "StartTiming.h"

#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include "GenPlugin.h"
#include "win32/Clock.h"
#include "win32/Module.h"
#include "win32/WindowClass.h"

namespace bench {
namespace {
double PrivateMB() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters);
    // PagefileUsage is the commit charge, the private bytes; Wine leaves PrivateUsage at 0.
    return static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0);
}

// The player's hotkey, once a plugin has registered it: opens its browser, which a second
// thread closes as soon as it shows.
void OpenTheBrowserOnce(HWND player) {
    const ATOM atom = GlobalFindAtomA("DirhoardEx");
    if (!atom) return;
    std::atomic<bool> closed{false};
    std::thread user([&] {
        for (int i = 0; i < 5000 && !closed; ++i) {
            HWND dialog = FindWindowW(L"#32770", L"Dirhoard +");
            // Once it is set up: its button relabelled.
            if (dialog && FindWindowExW(dialog, nullptr, L"Button", L"Add Dir")) {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                break;
            }
            Sleep(1);
        }
    });
    const LONG_PTR id = static_cast<int16_t>(atom);
    SendMessageW(player, WM_HOTKEY, static_cast<WPARAM>(id), MAKELPARAM(MOD_CONTROL | MOD_ALT, 'G'));
    closed = true;
    user.join();
}

struct Run {
    Start start;
    bool ok = false;
};

// One start in a child process: this program with --start.
Run StartIn(const std::wstring &plugin, bool browse) {
    Run run;
    const std::wstring self = Module::FileOf(nullptr);
    std::wstring command = L"\"" + self + L"\" --start \"" + plugin + L"\"" + (browse ? L" --browse" : L"");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return run;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(self.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(write);
    std::string out;
    char buffer[512];
    DWORD n = 0;
    while (started && ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n) out.append(buffer, n);
    CloseHandle(read);
    if (!started) return run;
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Start &s = run.start;
    run.ok = std::sscanf(out.c_str(), "%lf %lf %lf %lf %lf %lf", &s.load, &s.entry, &s.init, &s.quit, &s.privateAtStart,
                         &s.privateBrowsed) == 6;
    return run;
}

std::wstring Figure(std::vector<double> values) {
    if (values.empty()) return L"-";
    std::sort(values.begin(), values.end());
    wchar_t text[48];
    std::swprintf(text, 48, L"%.1f / %.1f", values[values.size() / 2], values.back());
    return text;
}
}

int StartOnce(const std::wstring &plugin, bool browse) {
    // The player's thread is an apartment, and the player's usual DLLs are loaded, before its plugins.
    OleInitialize(nullptr);
    for (const wchar_t *dll : {L"user32.dll", L"gdi32.dll", L"advapi32.dll", L"shell32.dll", L"shlwapi.dll",
                               L"comctl32.dll", L"comdlg32.dll", L"oleaut32.dll", L"msvcrt.dll", L"uxtheme.dll"})
        LoadLibraryW(dll);
    WindowClass::Register(L"Winamp v1.x", DefWindowProcW);
    HWND player = CreateWindowExW(0, L"Winamp v1.x", L"Winamp 5.92", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, Module::Instance(), nullptr);
    const double before = PrivateMB();
    const double loading = Clock::NowMs();
    HMODULE module = LoadLibraryW(plugin.c_str());
    const double loaded = Clock::NowMs();
    const auto entry = module ? reinterpret_cast<GenPluginEntry>(GetProcAddress(module, GenPluginEntryName)) : nullptr;
    GenPluginHeader *header = entry ? entry() : nullptr;
    const double entered = Clock::NowMs();
    if (!header) return 1;
    header->hwndParent = player;
    header->hDllInstance = module;
    if (header->init() != 0) return 1;
    const double started = Clock::NowMs();
    const double atStart = PrivateMB() - before;
    if (browse) OpenTheBrowserOnce(player);
    const double browsed = PrivateMB() - before;
    // As the player ends: its window first, then each plugin's quit.
    DestroyWindow(player);
    const double quitting = Clock::NowMs();
    header->quit();
    const double quit = Clock::NowMs();
    std::printf("%.3f %.3f %.3f %.3f %.3f %.3f\n", loaded - loading, entered - loaded, started - entered,
                quit - quitting, atStart, browsed);
    return 0;
}

void PrintStarts(const std::wstring &trivial, const std::wstring &plugin, int starts) {
    std::vector<Start> mine, theirs;
    for (int i = 0; i < starts; ++i) {
        for (const auto &[file, into] : {std::pair{&trivial, &theirs}, std::pair{&plugin, &mine}}) {
            const Run run = StartIn(*file, into == &mine);
            if (run.ok) into->push_back(run.start);
        }
    }
    struct Row {
        const wchar_t *name;
        const std::vector<Start> &starts;
    };
    std::wprintf(L"\n| the player's start, %d starts each in fresh processes, median / worst | load ms | "
                 L"winampGetGeneralPurposePlugin ms | init ms | load, entry and init ms | quit ms | private MB at "
                 L"start, median | once the hotkey opened the browser, median |\n|---|---|---|---|---|---|---|---|\n",
                 starts);
    for (const Row &row : {Row{L"a trivial plugin", theirs}, Row{L"gen_dirhoardex.dll with DirhoardEx.dll", mine}}) {
        std::vector<double> load, entry, init, all, quit, atStart, browsed;
        for (const Start &s : row.starts) {
            load.push_back(s.load);
            entry.push_back(s.entry);
            init.push_back(s.init);
            all.push_back(s.load + s.entry + s.init);
            quit.push_back(s.quit);
            atStart.push_back(s.privateAtStart);
            browsed.push_back(s.privateBrowsed);
        }
        std::sort(atStart.begin(), atStart.end());
        std::sort(browsed.begin(), browsed.end());
        std::wprintf(L"| %ls | %ls | %ls | %ls | %ls | %ls | %.2f | %.2f |\n", row.name, Figure(load).c_str(),
                     Figure(entry).c_str(), Figure(init).c_str(), Figure(all).c_str(), Figure(quit).c_str(),
                     atStart.empty() ? 0 : atStart[atStart.size() / 2], browsed.empty() ? 0 : browsed[browsed.size() / 2]);
    }
}
}
