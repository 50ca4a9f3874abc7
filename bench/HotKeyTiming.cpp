#include "HotKeyTiming.h"

#include <atomic>
#include <thread>
#include "win32/Clock.h"
#include "win32/ComPtr.h"
#include "win32/InterfaceTable.h"
#include "DirhoardEx_h.h"
#include "core/clsDirhoardEx.h"
#include "core/modGlobalDefinitions.h"

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
}

std::vector<double> HotKeyToDialogTimes(HWND player, int presses) {
    std::vector<double> times;
    Host host(player);
    ComPtr<IKobWinAmpGenPlugin> plugin;
    if (FAILED(clsDirhoardEx::Create(IID_IKobWinAmpGenPlugin, plugin.PutVoid())) ||
        FAILED(plugin->Initialize(&host)))
        return times;

    std::atomic<bool> done{false};
    // The player's thread runs the dialog; a second thread presses and watches, as a user would.
    std::thread driver([&] {
        const WPARAM id = static_cast<WPARAM>(static_cast<LONG_PTR>(modGlobalDefinitions::WidenedHotKeyId()));
        for (int i = 0; i < presses; ++i) {
            const double start = Clock::NowMs();
            PostMessageW(player, WM_HOTKEY, id, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'G'));
            HWND dialog = nullptr;
            while (!(dialog = FindDialog()) && Clock::NowMs() - start < 5000) Sleep(0);
            if (!dialog) break;
            times.push_back(Clock::NowMs() - start);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            while (FindDialog() && Clock::NowMs() - start < 10000) Sleep(1);
        }
        done = true;
        PostMessageW(player, WM_NULL, 0, 0);
    });
    MSG msg;
    while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    driver.join();
    plugin->Quit();
    return times;
}
}
