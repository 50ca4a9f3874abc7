#pragma once
// The configuration window, where the user picks the hotkey letter, together with the
// hotkey it manages: Ctrl+Alt+letter registered on the player's window.
#include <windows.h>
#include <cstdint>
#include <optional>
#include "win32/Handles.h"

class frmDirhoardEx {
public:
    // The object with its hotkey; its window is built when first needed (Build).
    frmDirhoardEx() = default;
    ~frmDirhoardEx();
    frmDirhoardEx(const frmDirhoardEx &) = delete;
    frmDirhoardEx &operator=(const frmDirhoardEx &) = delete;

    // The hotkey manager.
    void StartHotKey();
    void SetHotKey(int32_t keyCode);
    void Shutdown();

    // Builds the window hidden, once: most users never open it, and every start of the player
    // would pay for it. Throws when the platform refuses to make it.
    void Build();
    // Shows the window, built first if need be, and returns once it is hidden again. While it is
    // already shown, brings it to the front and returns at once instead of nesting a second loop.
    void ShowModal();

    // The key handler of both letter boxes: leaves the code to insert, 0 to discard.
    void FilterLetterKey(int16_t &keyAscii);

    // Null until built.
    HWND Window() const { return window_.Get(); }
    HWND Control(int id) const { return GetDlgItem(window_.Get(), id); }

    int32_t CurrentHotKey = 0;
    bool IsQuitting = false;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The answer to a message handled here; nothing: the platform's default applies.
    std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void OnCommand(int id, int code);
    LRESULT OnClose();
    LRESULT OnGetDefId();
    void OnSetHotKeyClicked();
    void SelectLetter(int box);
    void Hide();

    // Owns the window without a taskbar button: an owned window gets none.
    WindowHandle owner_;
    WindowHandle window_;
    FontHandle textFont_;
    FontHandle buttonFont_;
    bool modal_ = false;
    // False until StartHotKey has read the stored letter: Shutdown then has none to store.
    bool letterLoaded_ = false;
    // This object's own reference on the hotkey's atom.
    ATOM atom_ = 0;
};
