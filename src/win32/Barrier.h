#pragma once
// No exception may cross into the host: every entry point the platform or the host calls
// runs its body through one of these.
#include <windows.h>
#include <new>

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
