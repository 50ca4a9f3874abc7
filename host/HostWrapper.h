#pragma once
// The host object handed to the plugin: it takes the plugin's description for the player's
// list and tells the plugin which window is the player's.
#include <windows.h>
#include "DirhoardEx_h.h"

class HostWrapper final : public Wrapper {
public:
    // `description` (of `size` bytes) receives the ANSI text the player shows, NUL-terminated
    // and cut to fit; it must outlive this object.
    HostWrapper(HWND player, char *description, size_t size)
        : player_(player), description_(description), size_(size) {}

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Reserved() override { return S_OK; }
    STDMETHODIMP SetDescription(BSTR text) override;
    STDMETHODIMP GetWinampWindow(LONG *hwnd) override;

private:
    ~HostWrapper() = default;
    LONG refs_ = 1;
    HWND player_;
    char *description_;
    size_t size_;
};
