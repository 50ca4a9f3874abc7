#include "StandInHost.h"

#include "win32/InterfaceTable.h"

namespace test {
STDMETHODIMP StandInHost::QueryInterface(REFIID iid, void **out) {
    static const InterfaceEntry table[] = {EntryOf<StandInHost, Wrapper>(IID_Wrapper)};
    return QueryTable(this, table, iid, out);
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
