#include "HotKeyTiming.h"

#include <atomic>
#include <thread>
#include "win32/Clock.h"
#include "win32/ComPtr.h"
#include "win32/InterfaceTable.h"
#include "win32/WindowClass.h"
#include "DirhoardEx_h.h"
#include "core/clsDirhoardEx.h"
#include "core/modGlobalDefinitions.h"
#include "folders/FolderCheck.h"
#include "folders/modDirhoardEx.h"

namespace bench {
namespace {
class Host final : public Wrapper {
public:
    explicit Host(HWND player) : player_(player) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override {
        static const InterfaceEntry table[] = {EntryOf<Host, Wrapper>(IID_Wrapper)};
        return QueryTable(this, table, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Reserved() override { return S_OK; }
    STDMETHODIMP SetDescription(BSTR) override { return S_OK; }
    STDMETHODIMP GetWinampWindow(LONG *hwnd) override {
        *hwnd = static_cast<LONG>(reinterpret_cast<LONG_PTR>(player_));
        return S_OK;
    }

private:
    HWND player_;
};

HWND FindDialog() { return FindWindowW(L"#32770", L"Dirhoard +"); }

// `presses` times: posts the hotkey to `window`, whose handler opens the browser on this thread,
// and times it until the dialog shows its caption, closing it each time.
std::vector<double> PressesToDialog(HWND window, WPARAM id, int presses) {
    std::vector<double> times;
    std::atomic<bool> done{false};
    // The player's thread runs the dialog; a second thread presses and watches, as a user would.
    std::thread driver([&] {
        for (int i = 0; i < presses; ++i) {
            const double start = Clock::NowMs();
            PostMessageW(window, WM_HOTKEY, id, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'G'));
            HWND dialog = nullptr;
            while (!(dialog = FindDialog()) && Clock::NowMs() - start < 5000) Sleep(0);
            if (!dialog) break;
            times.push_back(Clock::NowMs() - start);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            while (FindDialog() && Clock::NowMs() - start < 10000) Sleep(1);
        }
        done = true;
        PostMessageW(window, WM_NULL, 0, 0);
    });
    MSG msg;
    while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    driver.join();
    return times;
}

DWORD WINAPI TwoSecondDisk(LPCWSTR path) {
    Sleep(2000);
    return GetFileAttributesW(path);
}

// What the hook does with the hotkey, the browser's check going to a slow disk.
LRESULT CALLBACK SlowDiskHotKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_HOTKEY) return DefWindowProcW(window, message, wParam, lParam);
    modDirhoardEx::ShowFolderBrowser(folders::Lister::Platform(), folders::FolderProbe{TwoSecondDisk});
    return 0;
}
}

std::vector<double> HotKeyToDialogTimes(HWND player, int presses) {
    Host host(player);
    ComPtr<IKobWinAmpGenPlugin> plugin;
    if (FAILED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, plugin.PutVoid())) ||
        FAILED(plugin->Initialize(&host)))
        return {};
    const WPARAM id = static_cast<WPARAM>(static_cast<LONG_PTR>(modGlobalDefinitions::WidenedHotKeyId()));
    const std::vector<double> times = PressesToDialog(player, id, presses);
    plugin->Quit();
    return times;
}

std::vector<double> HotKeyToDialogTimesWithASlowDisk(int presses) {
    HWND window = WindowClass::MessageOnly(L"DirhoardExBenchSlowDisk", SlowDiskHotKey);
    const std::vector<double> times = PressesToDialog(window, 0, presses);
    DestroyWindow(window);
    return times;
}
}
