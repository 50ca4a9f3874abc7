#include "config/frmDirhoardEx.h"

#include <optional>
#include <utility>
#include <string>
#include "win32/Barrier.h"
#include "config/ControlLayout.h"
#include "config/LetterBox.h"
#include "config/LetterFilter.h"
#include "win32/Module.h"
#include "win32/WindowClass.h"
#include "core/Settings.h"

namespace {
using namespace ControlLayout;

constexpr char kClassName[] = "DirhoardExConfiguration";
constexpr wchar_t kClassNameW[] = L"DirhoardExConfiguration";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct Dpi {
    int x = 96, y = 96;
    Dpi() {
        if (HDC screen = GetDC(nullptr)) {
            x = GetDeviceCaps(screen, LOGPIXELSX);
            y = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
        }
    }
};

HFONT MakeTextFont(const Dpi &dpi) {
    LOGFONTA font{};
    font.lfHeight = -MulDiv(TextPointsX100, dpi.y, 7200);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = TextCharset;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(font.lfFaceName, TextFace, LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

// The font the platform uses in its own dialogs and message boxes.
HFONT MakeButtonFont() {
    NONCLIENTMETRICSA metrics{sizeof metrics};
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return CreateFontIndirectA(&metrics.lfMessageFont);
    return nullptr;
}

struct ClassAndStyle {
    const char *className;
    DWORD style;
    DWORD exStyle;
};

ClassAndStyle StyleOf(const ControlLayout::Control &c) {
    switch (c.kind) {
    case Kind::Button:
        return {"Button", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case Kind::TextBox:
        return {"Edit", ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case Kind::Label:
        // The instruction wraps; the row labels read right up to their letter box.
        return {"Static", static_cast<DWORD>(c.id == lblInstructions ? SS_LEFT : SS_RIGHT | SS_CENTERIMAGE), 0};
    }
    return {"Static", 0, 0};
}
}

void frmDirhoardEx::Build() {
    if (window_ || IsQuitting) return;
    if (!WindowClass::Register(kClassNameW, &WindowProc,
                               {LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), true}))
        throw PlatformRefused("configuration window class");
    const Dpi dpi;
    owner_.Reset(CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Module::Instance(),
                                 nullptr));
    RECT frame{0, 0, TwipsToPixels(ClientWidth, dpi.x), TwipsToPixels(ClientHeight, dpi.y)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    HWND window = CreateWindowExA(kExStyle, kClassName, Title, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, owner_.Get(), nullptr,
                                  Module::Instance(), this);
    if (!window) throw PlatformRefused("configuration window");
    window_.Reset(window);
    textFont_.Reset(MakeTextFont(dpi));
    buttonFont_.Reset(MakeButtonFont());
    CreateControls();
}

frmDirhoardEx::~frmDirhoardEx() {
    window_.Reset();
    owner_.Reset();
}

void frmDirhoardEx::CreateControls() {
    const Dpi dpi;
    for (const auto &c : Controls) {
        const auto [className, style, exStyle] = StyleOf(c);
        HWND control = CreateWindowExA(
            exStyle, className, c.text, WS_CHILD | WS_VISIBLE | style | (c.enabled ? 0 : WS_DISABLED),
            TwipsToPixels(c.left, dpi.x), TwipsToPixels(c.top, dpi.y), TwipsToPixels(c.width, dpi.x),
            TwipsToPixels(c.height, dpi.y), window_.Get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
            Module::Instance(), nullptr);
        if (!control) throw PlatformRefused("configuration control");
        const HFONT font = c.kind == Kind::Button ? buttonFont_.Get() : textFont_.Get();
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.kind == Kind::TextBox) {
            SendMessageA(control, EM_LIMITTEXT, 1, 0);
            const auto filter = [](void *owner, int16_t &keyAscii) {
                static_cast<frmDirhoardEx *>(owner)->FilterLetterKey(keyAscii);
            };
            if (!LetterBox::Attach(control, filter, this)) throw PlatformRefused("letter box");
        }
    }
    // A screen reader names a text box by the label just before it in z-order: its row's label,
    // not the instruction above the rows. Labels take no focus, so Tab goes as the table says.
    for (const auto &[label, box] : {std::pair{lblHotkey, txtHotKey}, std::pair{lblMenu, txtMenu}}) {
        const HWND before = GetWindow(Control(box), GW_HWNDPREV);
        SetWindowPos(Control(label), before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void frmDirhoardEx::ShowModal() {
    Build();
    HWND window = window_.Get();
    if (!window) return;
    if (modal_) {
        SetForegroundWindow(window);
        return;
    }
    modal_ = true;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(GetNextDlgTabItem(window, nullptr, FALSE));

    // The player's windows keep getting their messages through this loop. It is wide so
    // that their wide messages arrive unconverted; the window itself is ANSI, as the letter
    // codes its boxes take are ANSI.
    MSG msg;
    while (window_ && IsWindowVisible(window_.Get())) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The host is ending: let its own loop see the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            Hide();
            break;
        }
        if (!IsDialogMessageW(window_.Get(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    modal_ = false;
}

void frmDirhoardEx::Hide() {
    if (!window_) return;
    ShowWindow(window_.Get(), SW_HIDE);
    // Wake the modal loop should the hiding have come in as a sent message.
    PostMessageW(window_.Get(), WM_NULL, 0, 0);
}

void frmDirhoardEx::FilterLetterKey(int16_t &keyAscii) { keyAscii = LetterFilter::Filter(keyAscii); }

void frmDirhoardEx::SelectLetter(int box) { SendMessageA(Control(box), EM_SETSEL, 0, 1); }

// The one door: bound to its object from WM_NCCREATE until WM_NCDESTROY, one barrier
// around all of it.
LRESULT CALLBACK frmDirhoardEx::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallbackBarrier<LRESULT>(0, [&]() -> LRESULT {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams));
        }
        auto *self = reinterpret_cast<frmDirhoardEx *>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!self) return DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            self->window_.Release();
            return DefWindowProcA(window, message, wParam, lParam);
        }
        if (const std::optional<LRESULT> answer = self->Handle(message, wParam, lParam)) return *answer;
        return DefWindowProcA(window, message, wParam, lParam);
    });
}

std::optional<LRESULT> frmDirhoardEx::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam) OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        return OnClose();
    case DM_GETDEFID:
        return OnGetDefId();
    }
    return std::nullopt;
}

void frmDirhoardEx::OnCommand(int id, int code) {
    switch (id) {
    case cmdClose:
        if (code == BN_CLICKED) Hide();
        break;
    case cmdDefaults:
        if (code == BN_CLICKED) SetHotKey('G');
        break;
    case cmdHotKey:
        if (code == BN_CLICKED) OnSetHotKeyClicked();
        break;
    case txtHotKey:
    case txtMenu:
        if (code == EN_CHANGE || code == EN_SETFOCUS) SelectLetter(id);
        break;
    }
}

void frmDirhoardEx::OnSetHotKeyClicked() {
    wchar_t text[8] = {};
    GetWindowTextW(Control(txtHotKey), text, 8);
    // An emptied box names no letter: the active hotkey stays.
    if (!text[0]) return;
    SetHotKey(Settings::HotKeyFromText(text));
}

// The query-unload: every close request hides; only a shutdown lets the window go.
LRESULT frmDirhoardEx::OnClose() {
    Hide();
    if (IsQuitting) DestroyWindow(window_.Get());
    return 0;
}

// Enter presses the button that has the focus and no other: there is no default button.
LRESULT frmDirhoardEx::OnGetDefId() {
    HWND focus = GetFocus();
    if (!focus || GetParent(focus) != window_.Get() || !IsWindowEnabled(focus)) return 0;
    if (!(SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return 0;
    return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
}
