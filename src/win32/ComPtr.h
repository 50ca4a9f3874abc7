#pragma once
// Owning COM reference: released exactly once; a copy takes a reference of its own.
#include <unknwn.h>
#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T *p, bool addRef = true) : p_(p) { if (p_ && addRef) p_->AddRef(); }
    ComPtr(const ComPtr &o) : ComPtr(o.p_) {}
    ComPtr(ComPtr &&o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr &operator=(ComPtr o) noexcept { std::swap(p_, o.p_); return *this; }
    ~ComPtr() { Reset(); }

    void Reset() { if (auto p = std::exchange(p_, nullptr)) p->Release(); }
    T *Get() const { return p_; }
    T *operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: drops what it held first.
    T **Put() { Reset(); return &p_; }
    void **PutVoid() { return reinterpret_cast<void **>(Put()); }

private:
    T *p_ = nullptr;
};
