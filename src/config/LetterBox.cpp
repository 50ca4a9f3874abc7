#include "config/LetterBox.h"

#include "win32/Barrier.h"

namespace {
constexpr char kProperty[] = "DirhoardExLetterBox";
}

bool LetterBox::Attach(HWND edit, Filter filter, void *owner) {
    auto *box = new LetterBox(nullptr, filter, owner);
    if (!SetPropA(edit, kProperty, box)) {
        delete box;
        return false;
    }
    // By hand with the ANSI call, not SetWindowSubclass: comctl32 installs its subclass
    // procedure as a wide one, which makes the edit a Unicode window. A double-byte character
    // would then arrive as one wide WM_CHAR instead of its lead and trail bytes, and the letter
    // codes the box takes are ANSI.
    box->previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    return true;
}

// The one door: bound through the property from Attach until WM_NCDESTROY, one barrier
// around all of it.
LRESULT CALLBACK LetterBox::Proc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallbackBarrier<LRESULT>(0, [&]() -> LRESULT {
        auto *box = static_cast<LetterBox *>(GetPropA(edit, kProperty));
        if (!box) return DefWindowProcA(edit, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            const WNDPROC previous = box->previous_;
            RemovePropA(edit, kProperty);
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            delete box;
            return CallWindowProcA(previous, edit, message, wParam, lParam);
        }
        return box->Handle(edit, message, wParam, lParam);
    });
}

LRESULT LetterBox::Handle(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR: return OnChar(edit, wParam, lParam);
    case WM_IME_CHAR: return OnImeChar(edit, wParam, lParam);
    default: return CallWindowProcA(previous_, edit, message, wParam, lParam);
    }
}

int16_t LetterBox::Filtered(unsigned char byte) {
    int16_t code = static_cast<int16_t>(byte);
    filter_(owner_, code);
    return code;
}

// In a double-byte code page one typed character comes as two messages, lead byte first;
// its trail byte alone is often a letter, and must not be taken for one.
LRESULT LetterBox::OnChar(HWND edit, WPARAM wParam, LPARAM lParam) {
    const auto byte = static_cast<unsigned char>(wParam);
    if (dropTrail_) {
        dropTrail_ = false;
        return 0;
    }
    if (IsDBCSLeadByteEx(CP_ACP, byte)) {
        dropTrail_ = true;
        return 0;
    }
    const int16_t code = Filtered(byte);
    if (code == 0) return 0;
    return CallWindowProcA(previous_, edit, WM_CHAR, static_cast<WPARAM>(static_cast<uint16_t>(code)), lParam);
}

// An input method's result: a double-byte character whole, lead byte high. None is a letter.
LRESULT LetterBox::OnImeChar(HWND edit, WPARAM wParam, LPARAM lParam) {
    if ((wParam & 0xFFFF) > 0xFF) return 0;
    const int16_t code = Filtered(static_cast<unsigned char>(wParam));
    if (code == 0) return 0;
    return CallWindowProcA(previous_, edit, WM_IME_CHAR, static_cast<WPARAM>(static_cast<uint16_t>(code)), lParam);
}
