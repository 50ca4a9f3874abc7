#pragma once
// No exception may cross into the host: every entry point the platform or the host calls
// runs its body through one of these.
#include <windows.h>
#include <exception>
#include <new>

// What the platform refused, thrown to the barrier of the entry that asked for it.
struct PlatformRefused : std::exception {
    explicit PlatformRefused(const char *what) : what_(what) {}
    const char *what() const noexcept override { return what_; }

private:
    const char *what_;
};

template <class F>
HRESULT ComBarrier(F &&body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

template <class R, class F>
R CallbackBarrier(R fallback, F &&body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}
