#pragma once
// The one way threads of ours share state: a slim reader/writer lock held exclusively, and a
// condition to wait on while it is released.
#include <windows.h>

class Lock {
public:
    Lock() = default;
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    friend class Held;
    friend class Condition;
    SRWLOCK lock_ = SRWLOCK_INIT;
};

// Holds the lock for its scope.
class Held {
public:
    explicit Held(Lock &lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_.lock_); }
    ~Held() { ReleaseSRWLockExclusive(&lock_.lock_); }
    Held(const Held &) = delete;
    Held &operator=(const Held &) = delete;

private:
    friend class Condition;
    Lock &lock_;
};

class Condition {
public:
    Condition() = default;
    Condition(const Condition &) = delete;
    Condition &operator=(const Condition &) = delete;
    // Releases the lock while it waits, at most `ms`; holds it again on return. Whoever waits
    // checks its predicate again: a wake may be spurious.
    void Wait(Held &held, DWORD ms = INFINITE) { SleepConditionVariableSRW(&condition_, &held.lock_.lock_, ms, 0); }
    void WakeAll() { WakeAllConditionVariable(&condition_); }

private:
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};
