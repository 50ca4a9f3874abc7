#include "win32/Subclass.h"

namespace Subclass {
bool Place(HWND window, WNDPROC ours, Previous &previous) {
    const bool unicode = IsWindowUnicode(window) != FALSE;
    const auto proc = reinterpret_cast<LONG_PTR>(ours);
    SetLastError(ERROR_SUCCESS);
    const LONG_PTR old = unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, proc)
                                 : SetWindowLongPtrA(window, GWLP_WNDPROC, proc);
    if (!old && GetLastError() != ERROR_SUCCESS) return false;
    previous = {reinterpret_cast<WNDPROC>(old), unicode};
    return true;
}

void Restore(HWND window, const Previous &previous) {
    const auto proc = reinterpret_cast<LONG_PTR>(previous.proc);
    if (previous.unicode) SetWindowLongPtrW(window, GWLP_WNDPROC, proc);
    else SetWindowLongPtrA(window, GWLP_WNDPROC, proc);
}

LRESULT PassOn(const Previous &previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!previous.proc)
        return previous.unicode ? DefWindowProcW(window, message, wParam, lParam)
                                : DefWindowProcA(window, message, wParam, lParam);
    return previous.unicode ? CallWindowProcW(previous.proc, window, message, wParam, lParam)
                            : CallWindowProcA(previous.proc, window, message, wParam, lParam);
}
}
