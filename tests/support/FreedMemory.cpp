#include "FreedMemory.h"

#include <windows.h>
#include <malloc.h>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr unsigned char kPoison = 0xDD;
constexpr size_t kMaxHeld = 1 << 16;

// Plain storage only: operator delete must not allocate.
struct Held {
    void *block;
    size_t size;
};
Held held[kMaxHeld];
size_t heldCount = 0;
bool watching = false;
CRITICAL_SECTION lock;
bool lockReady = [] {
    InitializeCriticalSection(&lock);
    return true;
}();

void *Allocate(size_t size) {
    if (void *p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void Free(void *p) noexcept {
    if (!p) return;
    if (lockReady) EnterCriticalSection(&lock);
    if (watching && heldCount < kMaxHeld) {
        const size_t size = _msize(p);
        std::memset(p, kPoison, size);
        held[heldCount++] = {p, size};
        p = nullptr;
    }
    if (lockReady) LeaveCriticalSection(&lock);
    std::free(p);
}

bool Untouched(const Held &h) {
    const auto *bytes = static_cast<const unsigned char *>(h.block);
    for (size_t i = 0; i < h.size; ++i)
        if (bytes[i] != kPoison) return false;
    return true;
}
}

void *operator new(size_t size) { return Allocate(size); }
void *operator new[](size_t size) { return Allocate(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept { return std::malloc(size ? size : 1); }
void *operator new[](size_t size, const std::nothrow_t &) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void *p) noexcept { Free(p); }
void operator delete[](void *p) noexcept { Free(p); }
void operator delete(void *p, size_t) noexcept { Free(p); }
void operator delete[](void *p, size_t) noexcept { Free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { Free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { Free(p); }

namespace test {
FreedMemoryWatch::FreedMemoryWatch() {
    EnterCriticalSection(&lock);
    heldCount = 0;
    watching = true;
    LeaveCriticalSection(&lock);
}

FreedMemoryWatch::~FreedMemoryWatch() {
    EnterCriticalSection(&lock);
    watching = false;
    const size_t n = heldCount;
    heldCount = 0;
    LeaveCriticalSection(&lock);
    for (size_t i = 0; i < n; ++i) std::free(held[i].block);
}

size_t FreedMemoryWatch::Freed() const {
    EnterCriticalSection(&lock);
    const size_t n = heldCount;
    LeaveCriticalSection(&lock);
    return n;
}

size_t FreedMemoryWatch::WrittenAfterFree() const {
    EnterCriticalSection(&lock);
    size_t written = 0;
    for (size_t i = 0; i < heldCount; ++i) written += !Untouched(held[i]);
    LeaveCriticalSection(&lock);
    return written;
}
}
