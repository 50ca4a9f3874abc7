#pragma once
// A stand-in for the player-side host object: records what the plugin tells it, answers
// with the stand-in player's window, and can be told to fail each call.
#include <windows.h>
#include <string>
#include "DirhoardEx_h.h"

namespace test {
class StandInHost final : public Wrapper {
public:
    explicit StandInHost(HWND player) : player_(player) {}

    // IUnknown: counted, never deleted (it lives on the test's stack).
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }

    STDMETHODIMP Reserved() override { return S_OK; }
    STDMETHODIMP SetDescription(BSTR text) override;
    STDMETHODIMP GetWinampWindow(LONG *hwnd) override;

    LONG refs = 0;
    int descriptionCalls = 0;
    int windowCalls = 0;
    std::wstring description;
    HRESULT failDescription = S_OK;
    HRESULT failWindow = S_OK;

private:
    HWND player_;
};
}
