#include "PlayerWindow.h"

#include <cstdio>
#include "FileAssociations.h"
#include "PlayerIds.h"
#include "Playlist.h"
#include "win32/WindowClass.h"

namespace {
constexpr UINT kWaIpc = WM_USER;
constexpr LPARAM kIpcGetVersion = 0;
constexpr LRESULT kVersion = 0x5092;  // 5.92, as the caption says
constexpr WPARAM kGetWnd = 1;       // which window: 1 is the playlist
constexpr LPARAM kIpcGetWnd = 260;
constexpr LPARAM kIpcGetExtList = 292;
constexpr WPARAM kExtListFilter = 1;  // wParam of 292: the open-dialog filter instead of the list

HWND NewList(const wchar_t *title, DWORD style, HWND parent, HINSTANCE instance) {
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"ListBox", title, style | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 80, 80,
                                420, 200, parent, nullptr, instance, nullptr);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return list;
}
}

bool PlayerWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    if (!WindowClass::Register(Player::kClass, Proc,
                               {LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)}))
        return false;

    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, Player::kExit, L"E&xit");
    pluginMenu_ = CreatePopupMenu();
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(pluginMenu_), L"&Plugins");
    return CreateWindowExW(0, Player::kClass, Player::kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 560, 360,
                           nullptr, menu, instance, this) != nullptr;
}

void PlayerWindow::ListPlugins() {
    while (GetMenuItemCount(pluginMenu_) > 0) DeleteMenu(pluginMenu_, 0, MF_BYPOSITION);
    if (IsWindow(preferences_)) SendMessageW(preferences_, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < plugins_.Count(); ++i) {
        const std::wstring name = plugins_.Description(i);
        AppendMenuW(pluginMenu_, MF_STRING, Player::kConfigureFirst + i, (L"Configure " + name + L"...").c_str());
        const bool removing = plugins_.RemovedAtRestart(i);
        AppendMenuW(pluginMenu_, MF_STRING | (removing ? MF_GRAYED : 0), Player::kUninstallFirst + i,
                    (L"Uninstall " + name + (removing ? L" (removed when the player restarts)" : L"...")).c_str());
        if (IsWindow(preferences_))
            SendMessageW(preferences_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    if (plugins_.Count() == 0) AppendMenuW(pluginMenu_, MF_STRING | MF_GRAYED, 0, L"(no plugins)");
    DrawMenuBar(window_);
}

HWND PlayerWindow::Preferences() {
    if (!IsWindow(preferences_)) {
        // Owned, not a child: a top-level window above the main one, gone with it.
        preferences_ = NewList(Player::kPreferencesTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, window_, instance_);
        ListPlugins();
    }
    return preferences_;
}

LRESULT CALLBACK PlayerWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto *self = static_cast<PlayerWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto *self = reinterpret_cast<PlayerWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: return self->OnCreate(window);
    case WM_SIZE: return self->OnSize(LOWORD(lParam), HIWORD(lParam));
    case WM_COPYDATA: return self->OnCopyData(reinterpret_cast<const COPYDATASTRUCT *>(lParam));
    case WM_COMMAND: return self->OnCommand(LOWORD(wParam));
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION: return self->OnEndSession(wParam != FALSE);
    case WM_DESTROY: return self->OnDestroy();
    case kWaIpc:
        if (wParam == 0 && lParam == kIpcGetVersion) return kVersion;
        if (wParam == kGetWnd && lParam == kIpcGetWnd) return reinterpret_cast<LRESULT>(self->list_);
        if (lParam == kIpcGetExtList && self->answersExtensions_)
            return reinterpret_cast<LRESULT>(wParam == kExtListFilter ? FileAssociations::OpenFilterBlock()
                                                                      : FileAssociations::ExtensionListBlock());
        return 0;
    }
    // WM_CLOSE destroys the window, as the player's close handler does.
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT PlayerWindow::OnCreate(HWND window) {
    list_ = NewList(L"Playlist", WS_CHILD | WS_VISIBLE | WS_HSCROLL, window, instance_);
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, 2000, 0);
    return list_ ? 0 : -1;
}

LRESULT PlayerWindow::OnSize(int width, int height) {
    MoveWindow(list_, 0, 0, width, height, TRUE);
    return 0;
}

LRESULT PlayerWindow::OnCopyData(const COPYDATASTRUCT *record) {
    if (!record || !Playlist::IsPlayFile(*record)) return FALSE;
    auto path = Playlist::DecodePlayFile(*record);
    if (!path) {
        ++refused_;
        fprintf(stderr,
                "Winamp: refused a play-file record (dwData %lu, cbData %lu): no terminating zero within cbData\n",
                static_cast<unsigned long>(record->dwData), static_cast<unsigned long>(record->cbData));
        fflush(stderr);
        return FALSE;
    }
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path->c_str()));
    SetWindowTextW(window_, (Playlist::Title(*path) + Player::kCaptionEnd).c_str());
    paths_.push_back(std::move(*path));
    return TRUE;
}

LRESULT PlayerWindow::OnCommand(WORD id) {
    if (id == Player::kExit) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
    } else if (id >= Player::kConfigureFirst && id - Player::kConfigureFirst < plugins_.Count()) {
        plugins_.Configure(id - Player::kConfigureFirst);
    } else if (id >= Player::kUninstallFirst && id - Player::kUninstallFirst < plugins_.Count()) {
        Uninstall(id - Player::kUninstallFirst);
    }
    return 0;
}

// The player asks first; the plugin's own questions come after, owned by the preferences.
void PlayerWindow::Uninstall(size_t index) {
    if (!plugins_.CanUninstall(index)) return;
    HWND preferences = Preferences();
    const std::wstring question = L"Uninstall the plug-in \"" + plugins_.Description(index) + L"\"?";
    if (MessageBoxW(preferences, question.c_str(), Player::kQuestionTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (plugins_.Uninstall(index, preferences) == Plugins::Uninstalled::Restart) {
        restart_ = true;
        PostMessageW(window_, WM_CLOSE, 0, 0);
        return;
    }
    ListPlugins();
}

LRESULT PlayerWindow::OnEndSession(bool ending) {
    if (!ending) return 0;
    plugins_.Quit();
    if (onEndSession) onEndSession();
    return 0;
}

LRESULT PlayerWindow::OnDestroy() {
    PostQuitMessage(0);
    return 0;
}
