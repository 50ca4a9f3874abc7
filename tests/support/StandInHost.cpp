#include "StandInHost.h"

namespace test {
STDMETHODIMP StandInHost::QueryInterface(REFIID iid, void **out) {
    if (iid == IID_IUnknown || iid == IID_Wrapper) {
        *out = static_cast<Wrapper *>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP StandInHost::SetDescription(BSTR text) {
    ++descriptionCalls;
    if (FAILED(failDescription)) return failDescription;
    description.assign(text ? text : L"", text ? SysStringLen(text) : 0);
    return S_OK;
}

STDMETHODIMP StandInHost::GetWinampWindow(LONG *hwnd) {
    ++windowCalls;
    if (FAILED(failWindow)) return failWindow;
    *hwnd = static_cast<LONG>(reinterpret_cast<LONG_PTR>(player_));
    return S_OK;
}
}
