#include "HostWrapper.h"

STDMETHODIMP HostWrapper::QueryInterface(REFIID iid, void **out) {
    if (!out) return E_POINTER;
    *out = iid == IID_IUnknown || iid == IID_Wrapper ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP HostWrapper::SetDescription(BSTR text) {
    if (size_ == 0) return S_OK;
    const int length = text ? static_cast<int>(SysStringLen(text)) : 0;
    // The player reads an ANSI text; characters outside the code page become '?'.
    const int room = static_cast<int>(size_ - 1);
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, description_, room, nullptr, nullptr);
    // Too long: keep what surely fits (a character takes at most two bytes).
    if (bytes == 0 && length > 0)
        bytes = WideCharToMultiByte(CP_ACP, 0, text, length < room / 2 ? length : room / 2, description_, room,
                                    nullptr, nullptr);
    description_[bytes] = '\0';
    return S_OK;
}

STDMETHODIMP HostWrapper::GetWinampWindow(LONG *hwnd) {
    if (!hwnd) return E_POINTER;
    // Window handles carry 32 significant bits on every Windows.
    *hwnd = static_cast<LONG>(reinterpret_cast<LONG_PTR>(player_));
    return S_OK;
}
