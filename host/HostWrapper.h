#pragma once
// The host object handed to the plugin: it takes the plugin's description for the player's
// list and tells the plugin which window is the player's. One for the host's life: it is never
// freed, so its references only count.
#include <windows.h>
#include "DirhoardEx_h.h"

class HostWrapper final : public Wrapper {
public:
    // `description` (of `size` bytes) receives the ANSI text the player shows, NUL-terminated
    // and cut to fit; it must outlive the plugin's use of this object.
    void Attach(HWND player, char *description, size_t size) {
        player_ = player;
        description_ = description;
        size_ = size;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }

    STDMETHODIMP Reserved() override { return S_OK; }
    STDMETHODIMP SetDescription(BSTR text) override;
    STDMETHODIMP GetWinampWindow(LONG *hwnd) override;

private:
    LONG refs_ = 1;
    HWND player_ = nullptr;
    char *description_ = nullptr;
    size_t size_ = 0;
};
