#pragma once
// The stand-in player's main window ("Winamp v1.x"), a Unicode window: a playlist list box as
// its playlist window, play-file records appended to it and the last one's title in its
// caption, a menu to configure or uninstall plugins or exit, and a preferences window that
// owns the questions of an uninstall.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "Plugins.h"

class PlayerWindow {
public:
    // `answersExtensions`: false for a player older than the extension-list query.
    PlayerWindow(Plugins &plugins, bool answersExtensions) : plugins_(plugins), answersExtensions_(answersExtensions) {}
    PlayerWindow(const PlayerWindow &) = delete;
    PlayerWindow &operator=(const PlayerWindow &) = delete;

    // The close box destroys the window and ends the loop; the plugins quit after that, in
    // the caller's hands. At the end of the session they quit here, with the window alive,
    // and then `onEndSession` runs (Winamp.exe ends its process there, as Windows does).
    bool Create(HINSTANCE instance);
    HWND Window() const { return window_; }
    // Adds "Configure" and "Uninstall" per loaded plugin.
    void ListPlugins();
    // The preferences window, opened if it is not open, owned by the main window.
    HWND Preferences();
    const std::vector<std::wstring> &Paths() const { return paths_; }
    // Play-file records refused for want of their terminating zero within cbData.
    size_t Refused() const { return refused_; }
    // An uninstall asked for a restart; the window is closing.
    bool RestartAsked() const { return restart_; }
    std::function<void()> onEndSession;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate(HWND window);
    LRESULT OnSize(int width, int height);
    LRESULT OnCopyData(const COPYDATASTRUCT *record);
    LRESULT OnCommand(WORD id);
    LRESULT OnEndSession(bool ending);
    LRESULT OnDestroy();
    void Uninstall(size_t index);

    Plugins &plugins_;
    const bool answersExtensions_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND preferences_ = nullptr;
    HMENU pluginMenu_ = nullptr;
    std::vector<std::wstring> paths_;
    size_t refused_ = 0;
    bool restart_ = false;
};
