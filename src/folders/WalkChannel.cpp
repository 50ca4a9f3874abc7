#include "folders/WalkChannel.h"

#include "core/WinampHost.h"

namespace folders {
size_t Batch::Append(const COPYDATASTRUCT &record) {
    if (bytes.size() % 2) bytes.push_back('\0');
    const size_t offset = bytes.size();
    const char *data = static_cast<const char *>(record.lpData);
    bytes.insert(bytes.end(), data, data + record.cbData);
    return offset;
}

void Batch::Add(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) {
    const size_t offset = Append(record);
    const size_t shortOffset = shortForm ? Append(*shortForm) : 0;
    records.push_back({record.dwData, record.cbData, offset, shortForm ? shortForm->cbData : 0, shortOffset});
}

const COPYDATASTRUCT *Batch::Point(size_t n, COPYDATASTRUCT &record, COPYDATASTRUCT &shortForm) const {
    const Record &r = records[n];
    char *base = const_cast<char *>(bytes.data());
    record = {r.kind, r.size, base + r.offset};
    if (!r.shortSize) return nullptr;
    shortForm = {WinampHost::IPC_PLAYFILE, r.shortSize, base + r.shortOffset};
    return &shortForm;
}

void WalkChannel::Take(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) {
    filling_.Add(record, shortForm);
    if (filling_.Size() >= kBatchRecords) HandOver();
}

void WalkChannel::Reading(std::wstring_view folder) {
    {
        Held hold(lock_);
        folder_.assign(folder);
    }
    Pausing();
}

void WalkChannel::Pausing() {
    bool idle;
    {
        Held hold(lock_);
        idle = idle_;
    }
    // Before a listing or a question to the shell, either of which may take long, what was
    // found so far goes out to a player's thread that has nothing else to take; a busy one gets
    // it in full batches.
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
        while (queued_.size() >= kQueuedBatches && !Stopped()) {
            room_.Wait(hold, kPlayerCheckMs);
            // The player's thread ended without a stop: its windows went with it.
            if (!IsWindow(wake_)) stop_ = true;
        }
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
