#pragma once
// A hotkey letter box: the configuration window's ANSI edit control, subclassed so that
// only what the letter filter accepts of each whole typed character reaches it.
#include <windows.h>
#include <cstdint>

class LetterBox {
public:
    // Decides on one single-byte character: leaves the code to insert, or 0 to discard it.
    using Filter = void (*)(void *owner, int16_t &keyAscii);

    // Subclasses `edit`; the box frees itself when the edit goes.
    static bool Attach(HWND edit, Filter filter, void *owner);

private:
    LetterBox(WNDPROC previous, Filter filter, void *owner) : previous_(previous), filter_(filter), owner_(owner) {}
    static LRESULT CALLBACK Proc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnChar(HWND edit, WPARAM wParam, LPARAM lParam);
    LRESULT OnImeChar(HWND edit, WPARAM wParam, LPARAM lParam);
    int16_t Filtered(unsigned char byte);

    WNDPROC previous_;
    Filter filter_;
    void *owner_;
    // The lead byte of a double-byte character was discarded: its trail byte goes too.
    bool dropTrail_ = false;
};
