#include "win32/UiTurns.h"

#include <utility>
#include "win32/Barrier.h"
#include "win32/Clock.h"
#include "win32/WindowClass.h"

namespace {
constexpr wchar_t kClass[] = L"DirhoardExTurns";
constexpr UINT_PTR kResumeTimer = 1;
constexpr UINT_PTR kTickTimer = 2;
// What the host waits to have dispatched before the next turn.
constexpr UINT kHostsOwn = QS_INPUT | QS_PAINT | QS_TIMER;

DWORD HostsOwnWaiting() { return HIWORD(GetQueueStatus(kHostsOwn)); }

// Its quit is handed out only once no posted message waits. Sent messages wait meanwhile.
bool QuitPosted() {
    MSG quit;
    return PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE | PM_NOYIELD | PM_QS_POSTMESSAGE) != FALSE;
}

// The open objects of this thread, for the filter, which is told no object: a list through the
// objects themselves, as a thread-local that needs no destructor (one would bring a runtime's
// thread exit machinery into the module).
thread_local UiTurns *firstOpen = nullptr;
}

UiTurns::~UiTurns() {
    *alive_ = false;
    Close();
}

bool UiTurns::Open(UINT tickMs) {
    window_ = WindowClass::MessageOnly(kClass, Door, this);
    if (!window_) return false;
    filter_ = SetWindowsHookExW(WH_MSGFILTER, Filter, nullptr, GetCurrentThreadId());
    nextOpen_ = firstOpen;
    firstOpen = this;
    SetTimer(window_, kTickTimer, tickMs, nullptr);
    return true;
}

void UiTurns::Close() {
    for (UiTurns **at = &firstOpen; *at; at = &(*at)->nextOpen_) {
        if (*at != this) continue;
        *at = nextOpen_;
        break;
    }
    if (filter_) UnhookWindowsHookEx(std::exchange(filter_, nullptr));
    if (window_) DestroyWindow(std::exchange(window_, nullptr));
    pending_ = yielding_ = false;
}

// A fault on the way stops the work, since nothing else would.
template <class F>
void UiTurns::Guarded(F &&step) {
    const std::shared_ptr<bool> alive = alive_;
    const bool ok = CallbackBarrier(false, [&] {
        step();
        return true;
    });
    if (!ok && *alive) CallbackBarrier(0, [&] {
        work_.Quit();
        return 0;
    });
}

// One door, one barrier.
LRESULT CALLBACK UiTurns::Door(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto *create = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto *self = reinterpret_cast<UiTurns *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    bool handled = false;
    self->Guarded([&] { handled = self->Handle(message, wParam); });
    return handled ? 0 : DefWindowProcW(window, message, wParam, lParam);
}

bool UiTurns::Handle(UINT message, WPARAM wParam) {
    if (message == kWake) {
        Run();
        return true;
    }
    if (message != WM_TIMER) return false;
    if (wParam == kTickTimer) {
        work_.Tick();
        // A wake that never came (its post or timer refused) stalls nothing: this turn is it.
        if (window_ && !inTurn_) {
            KillTimer(window_, kResumeTimer);
            yielding_ = false;
            Run();
        }
    } else if (wParam == kResumeTimer) {
        KillTimer(window_, kResumeTimer);
        yielding_ = false;
        Run();
    }
    return true;
}

void UiTurns::Run() {
    pending_ = false;
    if (!window_) return;
    if (inTurn_) {
        again_ = true;
        return;
    }
    if (QuitPosted()) return work_.Quit();
    const std::shared_ptr<bool> alive = alive_;
    inTurn_ = true;
    struct Over {
        UiTurns *self;
        const std::shared_ptr<bool> &alive;
        ~Over() {
            if (*alive) self->inTurn_ = false;
        }
    } over{this, alive};
    const bool more = work_.Turn(Clock::NowMs() + kTurnMs);
    if (!*alive) return;
    inTurn_ = false;
    if (std::exchange(again_, false) || more) ComeBack();
}

void UiTurns::ComeBack() {
    if (pending_ || !window_) return;
    // The host's handling of what the turn sent may have posted its quit.
    if (QuitPosted()) return work_.Quit();
    pending_ = true;
    if (!HostsOwnWaiting() && PostMessageW(window_, kWake, 0, 0)) return;
    yielding_ = true;
    yieldedAt_ = Clock::NowMs();
    SetTimer(window_, kResumeTimer, USER_TIMER_MINIMUM, nullptr);
}

// A modal loop took `msg`. Once it is the last of the host's own that waited, or a turn's length
// has passed, the next turn follows it.
void UiTurns::Taken(const MSG &msg) {
    if (!yielding_) return;
    DWORD waiting = HostsOwnWaiting();
    if (msg.message == WM_PAINT) waiting &= ~QS_PAINT;  // the one being taken
    if (waiting && Clock::NowMs() - yieldedAt_ < kTurnMs) return;
    // Should the post fail, the timer still brings the turn.
    if (!PostMessageW(window_, kWake, 0, 0)) return;
    yielding_ = false;
    KillTimer(window_, kResumeTimer);
}

LRESULT CALLBACK UiTurns::Filter(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        // What a step closes leaves the list: the steps run on those open before.
        UiTurns *open[8];
        size_t n = 0;
        for (UiTurns *turns = firstOpen; turns && n < 8; turns = turns->nextOpen_) open[n++] = turns;
        for (size_t i = 0; i < n; ++i)
            open[i]->Guarded([&] { open[i]->Taken(*reinterpret_cast<const MSG *>(lParam)); });
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
