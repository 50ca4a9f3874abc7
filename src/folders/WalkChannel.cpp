#include "folders/WalkChannel.h"

namespace modDirhoardEx {
void Batch::Add(const COPYDATASTRUCT &record) {
    if (bytes.size() % 2) bytes.push_back('\0');
    records.push_back({record.dwData, record.cbData, bytes.size()});
    const char *data = static_cast<const char *>(record.lpData);
    bytes.insert(bytes.end(), data, data + record.cbData);
}

void Batch::Point(size_t n, COPYDATASTRUCT &record) const {
    const Record &r = records[n];
    record.dwData = r.kind;
    record.cbData = r.size;
    record.lpData = const_cast<char *>(bytes.data()) + r.offset;
}

void WalkChannel::Take(const COPYDATASTRUCT &record) {
    filling_.Add(record);
    if (filling_.Size() >= kBatchRecords) HandOver();
}

void WalkChannel::Reading(std::wstring_view folder) {
    bool idle;
    {
        Held hold(lock_);
        folder_.assign(folder);
        idle = idle_;
    }
    // Before a listing that may take long, what was found so far goes out to a player's thread
    // that has nothing else to take; a busy one gets it in full batches.
    if (idle) HandOver();
}

void WalkChannel::End(WalkResult result) {
    HandOver();
    Held hold(lock_);
    result_ = std::move(result);
    ended_ = true;
    PostIfIdle();
}

void WalkChannel::HandOver() {
    if (filling_.records.empty()) return;
    {
        Held hold(lock_);
        while (queued_.size() >= kQueuedBatches && !Stopped()) room_.Wait(hold);
        if (Stopped()) return;
        queued_.push_back(std::move(filling_));
        PostIfIdle();
    }
    filling_ = Batch{};
}

void WalkChannel::PostIfIdle() {
    if (!idle_ || Stopped()) return;
    idle_ = false;
    // Each post costs both threads a call into the system: only to a side that waits for one.
    PostMessageW(wake_, message_, 0, 0);
}

WalkChannel::Taken WalkChannel::TakeBatch(Batch &into) {
    {
        Held hold(lock_);
        if (queued_.empty()) {
            if (ended_) return Taken::Over;
            idle_ = true;
            return Taken::Idle;
        }
        into = std::move(queued_.front());
        queued_.pop_front();
    }
    room_.WakeAll();
    return Taken::Batch;
}

void WalkChannel::Stop() {
    {
        Held hold(lock_);
        stop_ = true;
        queued_.clear();
    }
    room_.WakeAll();
}

std::wstring WalkChannel::Folder() {
    Held hold(lock_);
    return folder_;
}

WalkResult WalkChannel::Result() {
    Held hold(lock_);
    return ended_ ? std::move(result_) : WalkResult{};
}
}
