#include "folders/BackgroundWalk.h"

#include <objbase.h>
#include <atomic>
#include <deque>
#include <memory>
#include <new>
#include "win32/Barrier.h"
#include "win32/Handles.h"
#include "win32/Module.h"
#include "core/WinampHost.h"

namespace modDirhoardEx {
namespace {
// Records handed over together: fewer hand-overs, yet the first record goes out at once.
constexpr size_t kBatchRecords = 256;
// How far the worker may run ahead of the player before it waits.
constexpr size_t kQueuedBatches = 64;
// The longest run of sends between two looks at the message queue: well under one frame.
constexpr double kSliceMs = 8.0;

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

// Prepared records, their bytes packed one after another (each wide one at an even offset).
struct Batch {
    struct Record {
        ULONG_PTR kind;
        DWORD size;
        size_t offset;
    };
    std::vector<Record> records;
    std::vector<char> bytes;

    void Add(const COPYDATASTRUCT &record) {
        if (bytes.size() % 2) bytes.push_back('\0');
        records.push_back({record.dwData, record.cbData, bytes.size()});
        const char *data = static_cast<const char *>(record.lpData);
        bytes.insert(bytes.end(), data, data + record.cbData);
    }
};

class ScopedLock {
public:
    explicit ScopedLock(SRWLOCK &lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ScopedLock() { ReleaseSRWLockExclusive(&lock_); }
    ScopedLock(const ScopedLock &) = delete;
    ScopedLock &operator=(const ScopedLock &) = delete;

private:
    SRWLOCK &lock_;
};

// One walk, shared by the interface thread and the worker until both are done with it. The
// lock guards only hand-overs, so neither side holds it for more than a moment.
class Walk final : public WalkFeed {
public:
    Walk(std::wstring_view root, bool recurse, WinampHost::ExtensionList played)
        : root_(root), recurse_(recurse), played_(std::move(played)), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          room_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    bool Usable() const { return wake_ && room_; }
    HANDLE Wake() const { return wake_.Get(); }
    // Around the interface thread's wait for a batch.
    void Waiting(bool waiting) { waiting_ = waiting; }
    bool Queued() {
        ScopedLock hold(lock_);
        return !queued_.empty();
    }

    // The worker's side.
    void Run() {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        WalkResult result = CallbackBarrier(WalkResult{}, [&] {
            COPYDATASTRUCT record{};
            FolderWalker walker(*this, record);
            return walker.Walk(root_, recurse_, std::move(played_));
        });
        if (SUCCEEDED(com)) CoUninitialize();
        CallbackBarrier(0, [&] {
            HandOver();
            return 0;
        });
        ScopedLock hold(lock_);
        result_ = std::move(result);
    }
    void Take(const COPYDATASTRUCT &record) override {
        filling_.Add(record);
        if (filling_.records.size() >= kBatchRecords) HandOver();
    }
    bool Stopped() const override { return stop_.load(std::memory_order_relaxed); }
    void Reading(std::wstring_view folder) override {
        bool idle;
        {
            ScopedLock hold(lock_);
            folder_.assign(folder);
            idle = queued_.empty();
        }
        // Before a listing that may take long, what was found so far goes out to a player
        // that has nothing else to take; a busy one gets it in full batches.
        if (idle) HandOver();
    }

    // The interface thread's side.
    void Stop() {
        stop_ = true;
        SetEvent(room_.Get());
    }
    // The next batch, when one is queued.
    bool TakeBatch(Batch &into) {
        {
            ScopedLock hold(lock_);
            if (queued_.empty()) return false;
            into = std::move(queued_.front());
            queued_.pop_front();
        }
        SetEvent(room_.Get());
        return true;
    }
    std::wstring Folder() {
        ScopedLock hold(lock_);
        return folder_;
    }
    WalkResult Result() {
        ScopedLock hold(lock_);
        return std::move(result_);
    }

private:
    void HandOver() {
        if (filling_.records.empty()) return;
        {
            ScopedLock hold(lock_);
            while (queued_.size() >= kQueuedBatches && !Stopped()) {
                ReleaseSRWLockExclusive(&lock_);
                WaitForSingleObject(room_.Get(), INFINITE);
                AcquireSRWLockExclusive(&lock_);
            }
            if (!Stopped()) queued_.push_back(std::move(filling_));
        }
        filling_ = Batch{};
        // Each wake costs both threads a call into the system: only for a waiting side.
        if (waiting_.load()) SetEvent(wake_.Get());
    }

    const std::wstring root_;
    const bool recurse_;
    WinampHost::ExtensionList played_;
    KernelHandle wake_;  // a batch was queued
    KernelHandle room_;  // a batch was taken, or the walk stopped
    std::atomic<bool> stop_{false};
    std::atomic<bool> waiting_{false};
    Batch filling_;  // the worker's own

    SRWLOCK lock_ = SRWLOCK_INIT;
    std::deque<Batch> queued_;
    std::wstring folder_;
    WalkResult result_;
};

Walk *running = nullptr;
bool walkingHere = false;

struct WorkerStart {
    std::shared_ptr<Walk> walk;
    HMODULE self;
};

// Holds the walk and the module until it ends, however the interface thread left the walk.
DWORD WINAPI WalkWorker(void *parameter) {
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart *>(parameter));
    const HMODULE self = start->self;
    start->walk->Run();
    start.reset();
    Module::Release();
    FreeLibraryAndExitThread(self, 0);
}

KernelHandle StartWorker(const std::shared_ptr<Walk> &walk) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&WalkWorker), &self))
        return KernelHandle();
    auto *start = new (std::nothrow) WorkerStart{walk, self};
    if (!start) {
        FreeLibrary(self);
        return KernelHandle();
    }
    Module::AddRef();
    KernelHandle thread(CreateThread(nullptr, 0, WalkWorker, start, 0, nullptr));
    if (!thread) {
        Module::Release();
        delete start;
        FreeLibrary(self);
    }
    return thread;
}

bool IsEscapeIn(HWND dialog, const MSG &msg) {
    return dialog && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
           (msg.hwnd == dialog || IsChild(dialog, msg.hwnd));
}

// Dispatches what is queued now; false once WM_QUIT came, which is posted again.
bool DispatchPending(HWND dialog) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        // Escape stops the walk and leaves the dialog open for the next folder.
        if (IsEscapeIn(dialog, msg)) {
            StopWalk();
            continue;
        }
        if (dialog && IsDialogMessageW(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

// Where a worker cannot start, the walk lists on this thread as it did before it had one.
WalkOutcome WalkHere(HWND player, COPYDATASTRUCT &record, std::wstring_view folder, bool recurse,
                     WinampHost::ExtensionList played) {
    WalkOutcome outcome;
    walkingHere = true;
    struct Done {
        ~Done() { walkingHere = false; }
    } done;
    FolderWalker walker(player, record);
    outcome.result = walker.Walk(folder, recurse, std::move(played));
    return outcome;
}
}

void StopWalk() {
    if (running) running->Stop();
}

bool IsWalking() { return running || walkingHere; }

WalkOutcome RunWalk(HWND player, COPYDATASTRUCT &record, std::wstring_view folder, bool recurse,
                    WinampHost::ExtensionList played, const WalkWatch &watch) {
    struct Cleared {
        COPYDATASTRUCT &record;
        ~Cleared() {
            record.lpData = nullptr;
            record.cbData = 0;
            running = nullptr;
        }
    } cleared{record};
    auto walk = std::make_shared<Walk>(folder, recurse, played);
    KernelHandle worker;
    if (walk->Usable()) worker = StartWorker(walk);
    if (!worker) return WalkHere(player, record, folder, recurse, std::move(played));
    running = walk.get();

    WalkOutcome outcome;
    Batch batch;
    size_t next = 0, sent = 0;
    bool workerEnded = false;
    double shown = -1e9;
    const auto show = [&](bool stillRunning) {
        if (!watch.progress) return;
        const std::wstring reading = stillRunning ? walk->Folder() : std::wstring();
        watch.progress(sent, reading, stillRunning);
    };
    for (;;) {
        // Once the worker has ended, everything it found is queued.
        if (!workerEnded) workerEnded = WaitForSingleObject(worker.Get(), 0) == WAIT_OBJECT_0;
        // Nothing goes to a window that is gone.
        if (!walk->Stopped() && !IsWindow(player)) walk->Stop();
        bool starved = false;  // every record queued so far is sent
        const double sliceEnd = NowMs() + kSliceMs;
        while (!walk->Stopped()) {
            if (next == batch.records.size()) {
                if (!walk->TakeBatch(batch)) {
                    starved = true;
                    break;
                }
                next = 0;
            }
            const Batch::Record &r = batch.records[next++];
            record.dwData = r.kind;
            record.cbData = r.size;
            record.lpData = batch.bytes.data() + r.offset;
            WinampHost::Send(player, record);
            ++sent;
            if (NowMs() >= sliceEnd) break;
        }
        record.lpData = nullptr;
        record.cbData = 0;
        if (workerEnded && (starved || walk->Stopped())) break;
        if (NowMs() - shown >= WalkWatch::kProgressMs) {
            show(true);
            shown = NowMs();
        }
        if (!DispatchPending(watch.dialog)) {
            // The thread is quitting: the worker is left to end on its own.
            walk->Stop();
            outcome.stopped = true;
            show(false);
            return outcome;
        }
        if (workerEnded || !(starved || walk->Stopped())) continue;
        // Idle until the worker hands something over or ends, or a message comes.
        walk->Waiting(true);
        // A batch queued just before the flag was set would not wake us.
        if (walk->Stopped() || !walk->Queued()) {
            const HANDLE waits[] = {worker.Get(), walk->Wake()};
            MsgWaitForMultipleObjectsEx(walk->Stopped() ? 1 : 2, waits, WalkWatch::kProgressMs, QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        }
        walk->Waiting(false);
    }
    outcome.stopped = walk->Stopped();
    outcome.result = walk->Result();
    show(false);
    return outcome;
}
}
