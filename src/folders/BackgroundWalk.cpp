// Who touches what during a walk:
//
//   | what                                        | the player's thread           | the worker                |
//   |---------------------------------------------|-------------------------------|---------------------------|
//   | FolderWalker, RecordBuilder, the listing    | only where no worker started  | lists, builds the records |
//   | WalkChannel: queue, folder, result, idle    | takes, stops (its lock)       | hands over, ends (lock)   |
//   | WalkChannel: stop flag                      | sets                          | reads between entries     |
//   | the walk's window, its timers, its hook     | owns                          | posts the wake only       |
//   | Walk, WalkObserver, PlayFileRecord, sends   | only                          | never                     |
//
// The player's thread never waits for the worker. The worker holds the channel and the module
// until it ends, and every wait of it ends when the walk stops.
#include "folders/BackgroundWalk.h"

#include <objbase.h>
#include <memory>
#include "win32/Barrier.h"
#include "win32/Clock.h"
#include "win32/Module.h"
#include "win32/ModuleThread.h"
#include "win32/RegistryWatch.h"
#include "win32/StepTimes.h"
#include "folders/UnreadableNotice.h"
#include "folders/WalkChannel.h"
#include "folders/modDirhoardEx.h"

namespace modDirhoardEx {
namespace {
constexpr wchar_t kWindowClass[] = L"DirhoardExWalk";
// Records are queued, the worker ended, or the next turn is due.
constexpr UINT kWake = WM_APP;
constexpr UINT_PTR kResumeTimer = 1;
constexpr UINT_PTR kProgressTimer = 2;
// The longest turn of sends: with a 10 ms timer of the player's due meanwhile, still within
// one frame (16 ms) of its last tick.
constexpr double kTurnMs = 5.0;
// What the player waits to have dispatched before the next turn. Posted messages go before
// all of them, so a turn that always posted the next would starve them.
constexpr UINT kPlayersOwn = QS_INPUT | QS_PAINT | QS_TIMER;

using Clock::NowMs;

DWORD PlayersOwnWaiting() { return HIWORD(GetQueueStatus(kPlayersOwn)); }

// The player asked its loop to end. Its quit is handed out only once no posted message waits:
// a turn posted now would go before it, and the next after that. Sent messages wait meanwhile.
bool QuitPosted() {
    MSG quit;
    return PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE | PM_NOYIELD | PM_QS_POSTMESSAGE) != FALSE;
}

LRESULT CALLBACK WalkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ResumeFilter(int code, WPARAM wParam, LPARAM lParam);

class Walk;
// The walk that runs, if any. Its door and its stop hold a reference while they use it.
std::shared_ptr<Walk> current;

// What the shell said of each kind at the presses before, kept until a file type changes: its
// answer follows the classes and the user's choice of program for a kind.
ExtensionVerdicts shellAnswers;
RegistryWatch fileTypes({{HKEY_CURRENT_USER, L"Software\\Classes"},
                         {HKEY_LOCAL_MACHINE, L"Software\\Classes"},
                         {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts"}});

class Walk {
public:
    Walk(const WalkRequest &request, WalkObserver &observer)
        : player_(request.player), owner_(request.owner), observer_(observer), sender_(request.player) {}
    ~Walk() { Close(); }
    Walk(const Walk &) = delete;
    Walk &operator=(const Walk &) = delete;

    HWND Window() const { return window_; }
    bool Finished() const { return finished_; }

    // Its window, its channel, its timer and its hook: what lets any loop on the thread run its
    // turns.
    bool Open() {
        WNDCLASSEXW wc{sizeof wc};
        if (!GetClassInfoExW(Module::Instance(), kWindowClass, &wc)) {
            wc = WNDCLASSEXW{sizeof wc};
            wc.lpfnWndProc = WalkWindowProc;
            wc.hInstance = Module::Instance();
            wc.lpszClassName = kWindowClass;
            if (!RegisterClassExW(&wc)) return false;
        }
        window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Module::Instance(), nullptr);
        if (!window_) return false;
        channel_ = std::make_shared<WalkChannel>(window_, kWake);
        filter_ = SetWindowsHookExW(WH_MSGFILTER, ResumeFilter, nullptr, GetCurrentThreadId());
        SetTimer(window_, kProgressTimer, WalkObserver::kProgressMs, nullptr);
        shownAt_ = NowMs();
        return true;
    }

    void Begin(WalkRequest given) {
        auto request = std::make_shared<const WalkRequest>(std::move(given));
        if (request->worker) {
            const std::shared_ptr<WalkChannel> channel = channel_;
            if (KernelHandle worker = ModuleThread::Start([channel, request] { Work(*channel, *request); })) {
                // The user waits on the player's thread, not on the listing: it goes first.
                SetThreadPriority(worker.Get(), THREAD_PRIORITY_BELOW_NORMAL);
                return;
            }
        }
        // Where no worker can start, the walk lists here, as it did before it had one, and
        // its end still comes as a posted message.
        HereSink here(*this);
        FolderWalker walker(here, request->listing);
        channel_->End(walker.Walk(request->folder, request->recurse, request->played, request->shellAnswers));
    }

    bool Handle(UINT message, WPARAM wParam) {
        switch (message) {
        case kWake: Turn(); return true;
        case WM_TIMER:
            if (wParam == kProgressTimer) {
                Progress();
            } else if (wParam == kResumeTimer) {
                KillTimer(window_, kResumeTimer);
                yielding_ = false;
                Turn();
            }
            return true;
        }
        return false;
    }

    // From the message filter: a modal loop took `msg`. Once it is the last of the player's
    // messages that waited, or a turn's length has passed, the next turn follows it.
    void MessageTaken(const MSG &msg) {
        if (!yielding_) return;
        DWORD waiting = PlayersOwnWaiting();
        if (msg.message == WM_PAINT) waiting &= ~QS_PAINT;  // the one being taken
        if (waiting && NowMs() - yieldedAt_ < kTurnMs) return;
        // Should the post fail, the timer still brings the turn.
        if (!PostMessageW(window_, kWake, 0, 0)) return;
        yielding_ = false;
        KillTimer(window_, kResumeTimer);
    }

    void Finish(bool stopped) {
        if (finished_) return;
        finished_ = true;
        const StepTimes::Timed step("end");
        // First of all: nothing more is queued or posted, and the worker's waits end.
        channel_->Stop();
        ClearRecord();
        WalkOutcome outcome;
        outcome.sent = sent_;
        outcome.stopped = stopped;
        if (!stopped) {
            outcome.result = channel_->Result();
            shellAnswers = outcome.result.shellAnswers;
        }
        Close();
        const std::shared_ptr<Walk> self = std::move(current);
        // The walk is over once its warning is read: the controls come back after it.
        if (!stopped && outcome.result.unreadable) ShowUnreadableNotice(owner_, outcome.result);
        observer_.Ended(outcome);
    }

private:
    // The records of a walk that lists on the player's thread go out as they come.
    class HereSink final : public WalkSink {
    public:
        explicit HereSink(Walk &walk) : walk_(walk) {}
        void Take(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) override {
            walk_.SendNow(record, shortForm);
        }
        bool Stopped() const override { return walk_.Finished(); }

    private:
        Walk &walk_;
    };

    static void Work(WalkChannel &channel, const WalkRequest &request) {
        // The shell's type descriptions want COM on the thread that asks.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        WalkResult result = CallbackBarrier(WalkResult{}, [&] {
            FolderWalker walker(channel, request.listing);
            return walker.Walk(request.folder, request.recurse, request.played, request.shellAnswers);
        });
        if (SUCCEEDED(com)) CoUninitialize();
        channel.End(std::move(result));
    }

    void SendNow(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) {
        // Nothing goes to a window that is gone.
        if (!IsWindow(player_)) return Finish(true);
        PlayFileRecord = record;
        SendRecord(shortForm);
    }

    void SendRecord(const COPYDATASTRUCT *shortForm) {
        // Counted before: the player's handling of it may stop the walk.
        ++sent_;
        sender_.Send(PlayFileRecord, shortForm);
    }

    static void ClearRecord() {
        PlayFileRecord.lpData = nullptr;
        PlayFileRecord.cbData = 0;
    }

    // One turn: sends for at most kTurnMs, then comes back, unless the queue ran dry.
    void Turn() {
        pending_ = false;
        if (finished_) return;
        const StepTimes::Timed step("turn");
        if (!IsWindow(player_) || QuitPosted()) return Finish(true);
        const double end = NowMs() + kTurnMs;
        WalkChannel::Taken taken = WalkChannel::Taken::Batch;
        for (;;) {
            if (next_ == batch_.Size()) {
                if ((taken = channel_->TakeBatch(batch_)) != WalkChannel::Taken::Batch) break;
                next_ = 0;
            }
            SendRecord(batch_.Point(next_++, PlayFileRecord, shortForm_));
            if (finished_) return;
            if (NowMs() >= end) break;
        }
        ClearRecord();
        if (NowMs() - shownAt_ >= WalkObserver::kProgressMs) Progress();
        if (taken == WalkChannel::Taken::Over) return Finish(false);
        // Idle: the worker posts when it queues the next batch.
        if (taken == WalkChannel::Taken::Batch) ComeBack();
    }

    void ComeBack() {
        if (pending_) return;
        // The player's handling of a record may have posted its quit.
        if (QuitPosted()) return Finish(true);
        pending_ = true;
        if (!PlayersOwnWaiting() && PostMessageW(window_, kWake, 0, 0)) return;
        // After the player's own messages: a modal loop's filter brings the turn back as soon
        // as they are through, the timer where no such loop runs.
        yielding_ = true;
        yieldedAt_ = NowMs();
        SetTimer(window_, kResumeTimer, USER_TIMER_MINIMUM, nullptr);
    }

    void Progress() {
        const StepTimes::Timed step("progress");
        shownAt_ = NowMs();
        observer_.Progress(sent_, channel_->Folder());
    }

    void Close() {
        if (filter_) UnhookWindowsHookEx(std::exchange(filter_, nullptr));
        if (window_) {
            DestroyWindow(std::exchange(window_, nullptr));
            UnregisterClassW(kWindowClass, Module::Instance());
        }
    }

    const HWND player_, owner_;
    WalkObserver &observer_;
    WinampHost::PlayFileSender sender_;
    HWND window_ = nullptr;
    HHOOK filter_ = nullptr;
    std::shared_ptr<WalkChannel> channel_;
    Batch batch_;
    COPYDATASTRUCT shortForm_{};  // the short form of the record being sent, if any
    size_t next_ = 0, sent_ = 0;
    bool pending_ = false;   // a turn is posted or timed
    bool yielding_ = false;  // it waits for the player's own messages
    bool finished_ = false;
    double yieldedAt_ = 0, shownAt_ = 0;
};

void StopQuietly(Walk &walk) noexcept {
    CallbackBarrier(0, [&] {
        walk.Finish(true);
        return 0;
    });
}

// One door: an exception on the way stops the walk, since a worker left running would wait
// for a thread that takes no more of its records.
// The walk that runs. One whose window went with its thread (no WM_DESTROY comes then) is
// over at its next use, and its worker is told to stop.
std::shared_ptr<Walk> Running() {
    if (current && !IsWindow(current->Window())) StopQuietly(*current);
    return current;
}

LRESULT CALLBACK WalkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::shared_ptr<Walk> walk = current;
    if (!walk || walk->Window() != window) return DefWindowProcW(window, message, wParam, lParam);
    bool handled = false;
    const bool ok = CallbackBarrier(false, [&] {
        handled = walk->Handle(message, wParam);
        return true;
    });
    if (!ok) StopQuietly(*walk);
    return handled ? 0 : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ResumeFilter(int code, WPARAM wParam, LPARAM lParam) {
    const std::shared_ptr<Walk> walk = current;
    if (code >= 0 && walk) {
        const bool ok = CallbackBarrier(false, [&] {
            walk->MessageTaken(*reinterpret_cast<const MSG *>(lParam));
            return true;
        });
        if (!ok) StopQuietly(*walk);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
}

bool StartWalk(WalkRequest request, WalkObserver &observer) {
    if (Running()) return false;
    const StepTimes::Timed step("press: the walk's window, hook and worker");
    if (fileTypes.Changed()) shellAnswers.clear();
    request.shellAnswers = shellAnswers;
    auto walk = std::make_shared<Walk>(request, observer);
    if (!walk->Open()) return false;
    current = walk;
    // Whatever leaves from here on, an exception included, leaves a running walk or none.
    struct Undo {
        std::shared_ptr<Walk> walk;
        ~Undo() {
            if (walk) StopQuietly(*walk);
        }
    } undo{walk};
    walk->Begin(std::move(request));
    undo.walk.reset();
    return true;
}

namespace {
unsigned stops = 0;
}

void StopWalk() {
    ++stops;
    if (const std::shared_ptr<Walk> walk = Running()) walk->Finish(true);
}

unsigned StopCount() { return stops; }

bool IsWalking() { return Running() != nullptr; }
}
