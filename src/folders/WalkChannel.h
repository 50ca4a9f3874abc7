#pragma once
// The one channel between the player's thread and the worker of one walk. The worker lists
// and hands records over in batches; the player's thread takes them and sends them. The
// worker waits while the queue is full, and every wait of it ends when the walk stops.
#include <windows.h>
#include <atomic>
#include <deque>
#include <string>
#include <string_view>
#include <vector>
#include "win32/Lock.h"
#include "folders/FolderWalker.h"

namespace folders {
// Records handed over together, their bytes packed one after another (each wide one at an
// even offset), each with its short form where it has one.
struct Batch {
    struct Record {
        ULONG_PTR kind;
        DWORD size;
        size_t offset;
        DWORD shortSize;  // 0: no short form
        size_t shortOffset;
    };
    std::vector<Record> records;
    std::vector<char> bytes;

    void Add(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm);
    // Points `record` at the n-th one, and `shortForm` at its short form; both valid while the
    // batch is. Returns the short form, or null where there is none.
    const COPYDATASTRUCT *Point(size_t n, COPYDATASTRUCT &record, COPYDATASTRUCT &shortForm) const;
    size_t Size() const { return records.size(); }

private:
    size_t Append(const COPYDATASTRUCT &record);
};

class WalkChannel final : public WalkSink {
public:
    // Records handed over together: fewer hand-overs, yet the first record goes out at once.
    static constexpr size_t kBatchRecords = 256;
    // How far the worker may run ahead of the player before it waits.
    static constexpr size_t kQueuedBatches = 64;
    // How often a worker that waits for room asks whether the player's thread is still there.
    static constexpr DWORD kPlayerCheckMs = 500;

    // `wake` is posted `message` when the worker queues into an idle channel or ends there;
    // never once Stop has returned.
    WalkChannel(HWND wake, UINT message) : wake_(wake), message_(message) {}

    // The worker's side, a WalkSink: records in, the folder it lists, its end.
    void Take(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) override;
    bool Stopped() const override { return stop_.load(std::memory_order_relaxed); }
    void Reading(std::wstring_view folder) override;
    void Pausing() override;
    void End(WalkResult result);

    // The player's thread's side.
    enum class Taken { Batch, Idle, Over };
    // The next batch; Idle: none yet, and the worker posts when one comes; Over: none ever.
    Taken TakeBatch(Batch &into);
    // Nothing more is queued or posted, and the worker's waits end.
    void Stop();
    std::wstring Folder();
    // What the worker found, once it is over.
    WalkResult Result();

private:
    void HandOver();
    void PostIfIdle();  // with the lock held

    const HWND wake_;
    const UINT message_;
    std::atomic<bool> stop_{false};
    Batch filling_;  // the worker's own

    Lock lock_;
    Condition room_;  // a batch was taken, or the walk stopped
    std::deque<Batch> queued_;
    bool idle_ = true;  // the player's thread found nothing and waits for a post
    bool ended_ = false;
    std::wstring folder_;
    WalkResult result_;
};
}
