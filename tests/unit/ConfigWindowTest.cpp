// The configuration window as the user meets it: layout, keyboard, closing.
#include "ConfigFixture.h"
#include "MessageWindow.h"

#include <atomic>
#include <cstdlib>
#include "BoxCatcher.h"
#include "SecondThread.h"
#include "Wait.h"

namespace {
using namespace ControlLayout;

class ConfigWindow : public test::ConfigFixture {
protected:
    HWND Focus() const {
        GUITHREADINFO info{sizeof info};
        GetGUIThreadInfo(GetWindowThreadProcessId(form->Window(), nullptr), &info);
        return info.hwndFocus;
    }
    // Input is handled in order: once the focus has followed a Tab, every key before it was handled.
    bool TabTo(int id, bool back = false) {
        if (back) test::PressChord({VK_SHIFT, VK_TAB});
        else test::PressChord({VK_TAB});
        return test::PollUntil([&] { return Focus() == form->Control(id); });
    }
    bool Shown() const { return test::WaitForWindow(L"Dirhoard + Configuration") == form->Window(); }
    std::pair<DWORD, DWORD> Selection() const {
        DWORD start = 0, end = 0;
        SendMessageW(Box(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
};

void PutOnClipboard(const char *text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(memory), text, strlen(text) + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

struct Expected {
    int id;
    const wchar_t *className;
    const wchar_t *text;
    RECT pixels;  // at 96 DPI: the design's twips, 15 to a pixel
    bool enabled;
};
}

// Runs at 96 DPI, and again at 144 and 192: every rectangle is its twips x DPI / 1440.
TEST_F(ConfigWindow, LayoutMatchesTheTwipsAtTheScreensDpi) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const char *asked = std::getenv("DIRHOARD_DPI");
    ASSERT_EQ(dpi, asked ? std::atoi(asked) : 96);
    const auto scaled = [dpi](LONG pixels96) { return MulDiv(pixels96 * 15, dpi, 1440); };

    HWND window = form->Window();
    EXPECT_EQ(test::WindowText(window), L"Dirhoard + Configuration");
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, scaled(417));
    EXPECT_EQ(client.bottom, scaled(249));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(IsWindowVisible(window));
    // No taskbar button: owned by a hidden window, not an app window.
    HWND owner = GetWindow(window, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    const Expected expected[] = {
        {cmdHotKey, L"Button", L"Set HotKey", {240, 88, 329, 118}, true},
        {lblInstructions, L"Static",
         L"Define a letter for 'Dirhoard +' to use as a global hotkay and internal shortcut menu.",
         {16, 16, 401, 65}, true},
        {lblHotkey, L"Static", L"Ctrl + Alt + ", {80, 88, 193, 118}, true},
        {txtHotKey, L"Edit", L"G", {200, 88, 233, 119}, true},
        {cmdMenu, L"Button", L"Set Menu", {240, 128, 329, 158}, false},
        {lblMenu, L"Static", L"Shift + ", {120, 128, 193, 158}, false},
        {txtMenu, L"Edit", L"G", {200, 128, 233, 159}, false},
        {cmdDefaults, L"Button", L"Defaults", {248, 208, 321, 233}, true},
        {cmdClose, L"Button", L"Close", {328, 208, 401, 233}, true},
    };
    // In z-order: the tab order, each row's label just before its box, which it names.
    HWND child = GetWindow(window, GW_CHILD);
    for (const auto &e : expected) {
        SCOPED_TRACE(testing::Message() << "control " << e.id);
        ASSERT_EQ(child, form->Control(e.id));
        wchar_t cls[32];
        GetClassNameW(child, cls, 32);
        EXPECT_STREQ(cls, e.className);
        EXPECT_EQ(test::WindowText(child), e.text);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&r), 2);
        EXPECT_EQ(r.left, scaled(e.pixels.left));
        EXPECT_EQ(r.top, scaled(e.pixels.top));
        EXPECT_EQ(r.right - r.left, scaled(e.pixels.right - e.pixels.left));
        EXPECT_EQ(r.bottom - r.top, scaled(e.pixels.bottom - e.pixels.top));
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, e.enabled);

        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof font, &font);
        if (std::wstring(cls) == L"Button") {
            EXPECT_STRNE(font.lfFaceName, L"Times New Roman");
        } else {
            EXPECT_STREQ(font.lfFaceName, L"Times New Roman");
            EXPECT_EQ(font.lfHeight, -MulDiv(1575, dpi, 7200));  // 15.75 pt
            EXPECT_EQ(font.lfCharSet, 177);
            EXPECT_EQ(font.lfWeight, FW_NORMAL);
            EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
        }
        if (e.id == lblInstructions) {
            // The instruction wraps inside its rectangle, in the font standing in for Times New Roman.
            HDC dc = GetDC(child);
            const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
            RECT need{0, 0, r.right - r.left, 0};
            DrawTextW(dc, e.text, -1, &need, DT_CALCRECT | DT_WORDBREAK);
            SelectObject(dc, old);
            ReleaseDC(child, dc);
            EXPECT_LE(need.right, r.right - r.left);
            EXPECT_LE(need.bottom, r.bottom - r.top);
        }
        if (e.className == std::wstring(L"Edit")) {
            EXPECT_EQ(SendMessageW(child, EM_GETLIMITTEXT, 0, 0), 1);
            EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & ES_CENTER);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
}

TEST_F(ConfigWindow, TabVisitsTheEnabledControlsOnly) {
    HWND window = form->Window();
    HWND at = GetNextDlgTabItem(window, nullptr, FALSE);
    std::vector<HWND> order;
    for (int i = 0; i < 5; ++i, at = GetNextDlgTabItem(window, at, FALSE)) order.push_back(at);
    const std::vector<HWND> expected{form->Control(cmdHotKey), form->Control(txtHotKey), form->Control(cmdDefaults),
                                     form->Control(cmdClose), form->Control(cmdHotKey)};
    EXPECT_EQ(order, expected);
}

TEST_F(ConfigWindow, TypedLettersAreUpperCasedAndEverythingElseRefused) {
    form->StartHotKey();
    PutOnClipboard("z");
    std::atomic<bool> focusStart{false}, tabbed{false}, upper{false}, selected{false}, refused{false}, applied{false};
    test::SecondThread user([&] {
        if (!Shown()) return;
        focusStart = Focus() == form->Control(cmdHotKey);
        if (!(tabbed = TabTo(txtHotKey))) return;
        test::PressChord({'K'});  // no Shift: the character typed is a lower-case k
        upper = test::PollUntil([&] { return test::WindowText(Box()) == L"K"; });
        selected = Selection() == std::pair<DWORD, DWORD>{0, 1};
        for (WORD key : {WORD('5'), WORD(VK_SPACE), WORD(VK_BACK), WORD(VK_RETURN), WORD(VK_ESCAPE)})
            test::PressChord({key});
        test::PressChord({VK_CONTROL, 'V'});
        if (!TabTo(cmdHotKey, true)) return;
        refused = test::WindowText(Box()) == L"K" && IsWindowVisible(form->Window());
        test::PressChord({VK_SPACE});  // the focused "Set HotKey", from the keyboard
        applied = test::PollUntil([&] { return form->CurrentHotKey == 'K'; });
        test::Click(form->Control(cmdClose));
    });
    form->ShowModal();
    user.Join();
    EXPECT_TRUE(focusStart);
    EXPECT_TRUE(tabbed);
    EXPECT_TRUE(upper);
    EXPECT_TRUE(selected);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(applied);
    EXPECT_FALSE(IsFree('K'));
    EXPECT_FALSE(IsWindowVisible(form->Window()));
}

TEST_F(ConfigWindow, LetterFilterTable) {
    struct Case {
        int16_t in, out;
    };
    const Case cases[] = {{'k', 'K'}, {'a', 'A'}, {'z', 'Z'}, {'K', 'K'}, {'5', 0},  {' ', 0},   {8, 0},
                          {13, 0},    {27, 0},    {22, 0},    {1, 0},     {26, 0},   {'@', 0},   {'[', 0},
                          {0xE9, 0},  {-1, 0},    {0, 0}};
    for (const auto &c : cases) {
        int16_t code = c.in;
        form->FilterLetterKey(code);
        EXPECT_EQ(code, c.out) << "typed " << c.in;
    }
}

// The box judges whole characters. In a double-byte code page (932) a typed character comes
// as a lead and a trail byte, and the trail alone is often a letter: ア is 83 41 ("A"),
// ж is 84 77 ("w"). In 1252 and 1251 those bytes are characters of their own.
TEST_F(ConfigWindow, TheLetterBoxTakesWholeCharactersOnly) {
    const bool doubleByte = IsDBCSLeadByteEx(CP_ACP, 0x83) != FALSE;
    const auto type = [&](std::initializer_list<unsigned> bytes) {
        SetWindowTextW(Box(), L"");
        for (unsigned byte : bytes) SendMessageA(Box(), WM_CHAR, byte, 0);
        return test::WindowText(Box());
    };
    EXPECT_EQ(type({0x83, 0x41}), doubleByte ? L"" : L"A");
    EXPECT_EQ(type({0x84, 0x77}), doubleByte ? L"" : L"W");
    EXPECT_EQ(type({0x83, 0x41, '5', 'k'}), L"K");
    EXPECT_EQ(type({'7', 0x84, 0x47, 'q'}), L"Q");
    // An input method hands over a double-byte result whole, lead byte high.
    SetWindowTextW(Box(), L"");
    // The platform turns it into characters posted to the box.
    SendMessageA(Box(), WM_IME_CHAR, 0x8341, 0);
    test::PumpPending();
    EXPECT_EQ(test::WindowText(Box()), L"");
    SendMessageA(Box(), WM_IME_CHAR, 'm', 0);
    test::PumpPending();
    EXPECT_EQ(test::WindowText(Box()), L"M");
}

TEST_F(ConfigWindow, EnterPressesOnlyTheFocusedButton) {
    form->StartHotKey();
    std::atomic<bool> stayed{false};
    test::SecondThread user([&] {
        if (!Shown() || !TabTo(txtHotKey)) return;
        test::PressChord({VK_RETURN});  // in the letter box: nothing
        if (!TabTo(cmdDefaults)) return;
        stayed = IsWindowVisible(form->Window()) != FALSE;
        if (!TabTo(cmdClose)) return;
        test::PressChord({VK_RETURN});  // on "Close": hides
    });
    form->ShowModal();
    user.Join();
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(IsWindowVisible(form->Window()));
}

TEST_F(ConfigWindow, AltF4AndTheCloseBoxHideAndKeepTheTexts) {
    form->StartHotKey();
    SetWindowTextW(Box(), L"Q");
    test::SecondThread altF4([&] {
        if (Shown()) test::PressChord({VK_MENU, VK_F4});
    });
    form->ShowModal();
    altF4.Join();
    ASSERT_TRUE(IsWindow(form->Window()));
    EXPECT_FALSE(IsWindowVisible(form->Window()));

    test::SecondThread closeBox([&] {
        if (Shown()) PostMessageW(form->Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    form->ShowModal();
    closeBox.Join();
    ASSERT_TRUE(IsWindow(form->Window()));
    EXPECT_EQ(test::WindowText(Box()), L"Q");
    EXPECT_EQ(test::WindowText(form->Control(txtMenu)), L"G");
}

TEST_F(ConfigWindow, EmptyBoxSetsNothing) {
    form->StartHotKey();
    test::BoxCatcher boxes;
    for (const wchar_t *text : {L"K", L""}) {
        SetWindowTextW(Box(), text);
        SendMessageW(form->Window(), WM_COMMAND, MAKEWPARAM(cmdHotKey, BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Control(cmdHotKey)));
    }
    // Not the default 'G' an empty text would read as.
    EXPECT_EQ(form->CurrentHotKey, 'K');
    EXPECT_FALSE(IsFree('K'));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ConfigWindow, DefaultsSetsGAndLeavesTheBox) {
    Settings::StoreHotKey('K');
    form->StartHotKey();
    SetWindowTextW(Box(), L"K");
    SendMessageW(form->Window(), WM_COMMAND, MAKEWPARAM(cmdDefaults, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Control(cmdDefaults)));
    EXPECT_EQ(form->CurrentHotKey, 'G');
    EXPECT_TRUE(IsFree('K'));
    EXPECT_EQ(test::WindowText(Box()), L"K");
}

namespace {
// A window of the host's that asks for the configuration window when told to.
frmDirhoardEx *asked = nullptr;
std::atomic<bool> nestedReturned{false};
LRESULT CALLBACK AskingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        asked->ShowModal();
        nestedReturned = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
}

TEST_F(ConfigWindow, ShowingWhileShownReturnsAtOnceWithoutNesting) {
    asked = form.get();
    HWND host = test::MessageWindow(L"AskingHost", AskingProc);
    std::atomic<bool> returnedWhileShown{false};
    test::SecondThread user([&] {
        if (!Shown()) return;
        PostMessageW(host, WM_APP, 0, 0);
        returnedWhileShown = test::PollUntil([] { return nestedReturned.load(); }) && IsWindowVisible(form->Window());
        test::Click(form->Control(cmdClose));
    });
    form->ShowModal();
    user.Join();
    EXPECT_TRUE(returnedWhileShown);
    DestroyWindow(host);
}

TEST_F(ConfigWindow, QuitMessageEndsTheShowingAndIsPostedAgain) {
    const DWORD self = GetCurrentThreadId();
    test::SecondThread host([&] {
        if (Shown()) PostThreadMessageW(self, WM_QUIT, 7, 0);
    });
    form->ShowModal();
    host.Join();
    EXPECT_FALSE(IsWindowVisible(form->Window()));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}
