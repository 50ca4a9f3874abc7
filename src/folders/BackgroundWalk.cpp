// Who touches what during a walk:
//
//   | what                                        | the player's thread           | the worker                |
//   |---------------------------------------------|-------------------------------|---------------------------|
//   | FolderWalker, RecordBuilder, the listing    | never                         | lists, builds the records |
//   | WalkChannel: queue, folder, result, idle    | takes, stops (its lock)       | hands over, ends (lock)   |
//   | WalkChannel: stop flag                      | sets                          | reads between entries     |
//   | the walk's turns (UiTurns)                  | owns                          | posts the wake only       |
//   | Walk, WalkObserver, the record, sends       | only                          | never                     |
//
// The player's thread never waits for the worker. The worker holds the channel and the module
// until it ends, and every wait of it ends when the walk stops.
#include "folders/BackgroundWalk.h"

#include <objbase.h>
#include <memory>
#include "win32/Barrier.h"
#include "win32/Clock.h"
#include "win32/ModuleThread.h"
#include "win32/RegistryWatch.h"
#include "win32/StepTimes.h"
#include "win32/UiTurns.h"
#include "folders/Folders.h"
#include "folders/UnreadableNotice.h"
#include "folders/WalkChannel.h"

namespace folders {
namespace {
using Clock::NowMs;

class Walk;
// The walk that runs, if any. Its turns and its stop hold a reference while they use it.
std::shared_ptr<Walk> current;

// What the shell said of each kind at the presses before, kept until a file type changes: its
// answer follows the classes and the user's choice of program for a kind. Only the pointer is
// handed on here: each walk's worker makes the next answers.
ShellAnswers::Kept shellAnswers;
RegistryWatch fileTypes({{HKEY_CURRENT_USER, L"Software\\Classes"},
                         {HKEY_LOCAL_MACHINE, L"Software\\Classes"},
                         {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts"}});

// The worker: lists, builds the records and hands them over, then ends the channel. What the
// shell answered before comes as its own argument, shared and read-only.
void Work(WalkChannel &channel, WalkRequest &request, const ShellAnswers::Kept &answers) {
    // The shell's type descriptions want COM on the thread that asks.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    WalkResult result = CallbackBarrier(WalkResult{}, [&] {
        FolderWalker walker(channel, *request.lister);
        return walker.Walk(request.folder, request.recurse, std::move(request.played), answers);
    });
    if (SUCCEEDED(com)) CoUninitialize();
    channel.End(std::move(result));
}

// The walk's life on the player's thread: its channel, its observer, its records, its end.
// Its pace is its turns'.
class Walk final : public UiTurns::Work, public std::enable_shared_from_this<Walk> {
public:
    Walk(const WalkRequest &request, WalkObserver &observer)
        : player_(request.player), owner_(request.owner), record_(request.record ? *request.record : ownRecord_),
          observer_(observer), sender_(request.player) {}

    HWND Window() const { return turns_.Window(); }
    const std::shared_ptr<WalkChannel> &Channel() const { return channel_; }

    bool Open() {
        if (!turns_.Open(WalkObserver::kProgressMs)) return false;
        channel_ = std::make_shared<WalkChannel>(turns_.Window(), UiTurns::kWake);
        shownAt_ = NowMs();
        return true;
    }

    // Sends for as long as a turn may last; more is to do while the channel has more.
    bool Turn(double end) override {
        // Held to the turn's end; lock() where shared_from_this() would throw (and bring the
        // runtime's bad_weak_ptr along).
        const std::shared_ptr<Walk> self = weak_from_this().lock();
        const StepTimes::Timed step("turn");
        if (finished_) return false;
        // Nothing goes to a window that is gone.
        if (!IsWindow(player_)) return Finish(true), false;
        WalkChannel::Taken taken = WalkChannel::Taken::Batch;
        for (;;) {
            if (next_ == batch_.Size()) {
                if ((taken = channel_->TakeBatch(batch_)) != WalkChannel::Taken::Batch) break;
                next_ = 0;
            }
            Send(batch_.Point(next_++, record_, shortForm_));
            if (finished_) return false;
            if (NowMs() >= end) break;
        }
        ClearRecord();
        if (NowMs() - shownAt_ >= WalkObserver::kProgressMs) Progress();
        if (taken == WalkChannel::Taken::Over) return Finish(false), false;
        // Idle: the worker posts when it queues the next batch.
        return taken == WalkChannel::Taken::Batch;
    }

    void Tick() override { Progress(); }
    // The player's loop is to end, or a turn failed: a worker left running would wait for a
    // thread that takes no more of its records.
    void Quit() override { Finish(true); }

    void Finish(bool stopped) {
        if (finished_) return;
        finished_ = true;
        const StepTimes::Timed step("end");
        // First of all: nothing more is queued or posted, and the worker's waits end.
        channel_->Stop();
        // The player may be reading the record: a stop inside its handling (a loop of its own)
        // leaves it whole until the send returns.
        if (!sending_) ClearRecord();
        WalkOutcome outcome;
        outcome.sent = sent_;
        outcome.stopped = stopped;
        if (!stopped) {
            outcome.result = channel_->Result();
            shellAnswers = std::move(outcome.result.shellAnswers);
        }
        turns_.Close();
        const std::shared_ptr<Walk> self = std::move(current);
        // The walk is over once its warning is read: what comes next comes after it.
        if (!stopped && outcome.result.unreadable) ShowUnreadableNotice(owner_, outcome.result);
        observer_.Ended(outcome);
    }

private:
    void Send(const COPYDATASTRUCT *shortForm) {
        const COPYDATASTRUCT *sent = sender_.Pick(record_, shortForm);
        if (!sent) return;
        ++sent_;  // before: the player's handling of it may stop the walk
        sending_ = true;
        WinampHost::Send(player_, *sent);
        sending_ = false;
        if (finished_) ClearRecord();
    }
    void ClearRecord() { record_ = {record_.dwData, 0, nullptr}; }
    void Progress() {
        const StepTimes::Timed step("progress");
        shownAt_ = NowMs();
        observer_.Progress(sent_, channel_->Folder());
    }

    const HWND player_, owner_;
    COPYDATASTRUCT ownRecord_{};  // where the request names none
    COPYDATASTRUCT &record_;
    WalkObserver &observer_;
    WinampHost::PlayFileSender sender_;
    UiTurns turns_{*this};
    std::shared_ptr<WalkChannel> channel_;
    Batch batch_;
    COPYDATASTRUCT shortForm_{};  // the short form of the record being sent, if any
    size_t next_ = 0, sent_ = 0;
    bool finished_ = false;
    bool sending_ = false;  // the player is reading the record
    double shownAt_ = 0;
};

// The walk that runs. One whose window went with its thread (no WM_DESTROY comes then) is
// over at its next use, and its worker is told to stop.
std::shared_ptr<Walk> Running() {
    if (current && !IsWindow(current->Window())) {
        CallbackBarrier(0, [] {
            current->Finish(true);
            return 0;
        });
    }
    return current;
}

unsigned stops = 0;
}

WalkStart StartWalk(WalkRequest request, WalkObserver &observer) {
    if (Running()) return {WalkStart::Busy};
    const StepTimes::Timed step("press: the walk's window, hook and worker");
    if (fileTypes.Changed()) shellAnswers.reset();
    auto walk = std::make_shared<Walk>(request, observer);
    if (!walk->Open()) return {WalkStart::Refused, GetLastError()};
    KernelHandle worker = ModuleThread::Start(
        [channel = walk->Channel(), request = std::move(request), answers = shellAnswers]() mutable {
            Work(*channel, request, answers);
        });
    if (!worker) return {WalkStart::Refused, GetLastError()};
    // The user waits on the player's thread, not on the listing: it goes first.
    SetThreadPriority(worker.Get(), THREAD_PRIORITY_BELOW_NORMAL);
    current = std::move(walk);
    return {WalkStart::Walking};
}

bool IsWalking() { return Running() != nullptr; }

unsigned StopCount() { return stops; }
}

namespace modDirhoardEx {
void StopWalk() {
    ++folders::stops;
    if (const std::shared_ptr<folders::Walk> walk = folders::Running()) walk->Finish(true);
}
}
