#include "HostWrapper.h"

#include <algorithm>
#include "win32/Barrier.h"
#include "win32/InterfaceTable.h"

STDMETHODIMP HostWrapper::QueryInterface(REFIID iid, void **out) {
    static const InterfaceEntry table[] = {EntryOf<HostWrapper, Wrapper>(IID_Wrapper)};
    return QueryTable(this, table, iid, out);
}

STDMETHODIMP_(ULONG) HostWrapper::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) HostWrapper::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP HostWrapper::SetDescription(BSTR text) {
    return ComBarrier([&]() -> HRESULT {
        if (size_ == 0) return S_OK;
        const int length = text ? static_cast<int>(SysStringLen(text)) : 0;
        // The player reads an ANSI text; characters outside the code page become '?'.
        const int room = static_cast<int>(size_ - 1);
        int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, description_, room, nullptr, nullptr);
        // Too long: keep what surely fits (a character takes at most two bytes).
        if (bytes == 0 && length > 0)
            bytes = WideCharToMultiByte(CP_ACP, 0, text, std::min(length, room / 2), description_, room, nullptr,
                                        nullptr);
        description_[bytes] = '\0';
        return S_OK;
    });
}

STDMETHODIMP HostWrapper::GetWinampWindow(LONG *hwnd) {
    if (!hwnd) return E_POINTER;
    // Window handles carry 32 significant bits on every Windows.
    *hwnd = static_cast<LONG>(reinterpret_cast<LONG_PTR>(player_));
    return S_OK;
}
