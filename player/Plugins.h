#pragma once
// The player's general-purpose plugins: every gen_*.dll in a folder, loaded, started with
// init once the main window exists, configured on request, uninstalled on request and
// stopped with quit. As in the player, a plugin that started stays loaded until the process
// ends, unless its uninstall asks to go at once.
#include <windows.h>
#include <string>
#include <vector>
#include "GenPlugin.h"

class Plugins {
public:
    // `removalList`: where uninstalled plugins wait for the restart (see Removal.h); none
    // when empty, and then an uninstall that asks for a restart is not carried out.
    explicit Plugins(std::wstring removalList = L"") : removalList_(std::move(removalList)) {}
    Plugins(const Plugins &) = delete;
    Plugins &operator=(const Plugins &) = delete;

    // Deletes what an uninstall left for this start: call before anything is loaded.
    void RemovePending() const;
    // Loads and starts each plugin of `folder`; one whose init fails is unloaded at once, one
    // still due for removal (it could not be deleted) is skipped.
    void Load(const std::wstring &folder, HWND player);
    size_t Count() const { return loaded_.size(); }
    std::wstring Description(size_t index) const;
    void Configure(size_t index) const;

    // Not already on its way out. A plugin without the uninstall entry can be uninstalled too:
    // as if it had answered 0.
    bool CanUninstall(size_t index) const { return !loaded_.at(index).removing; }
    enum class Uninstalled { Kept, Restart, Now };
    // Asks the plugin to undo itself, its questions owned by `parent` (the player's preferences
    // window), and carries out its answer. 0: the file is listed for removal and the player
    // must restart now (Restart). 1: quit, unloaded and deleted (Now; it is gone from the list
    // and indices shift). Anything else: nothing (Kept).
    Uninstalled Uninstall(size_t index, HWND parent);
    bool RemovedAtRestart(size_t index) const { return loaded_.at(index).removing; }

    // quit for each started plugin, in the reverse order of loading; safe to call twice.
    // Nothing is unloaded.
    void Quit();

private:
    struct Loaded {
        HMODULE module;
        GenPluginHeader *header;
        std::wstring file;
        bool running;
        bool removing;
    };
    void Start(const std::wstring &file, HWND player);
    static void Stop(Loaded &plugin);
    std::wstring removalList_;
    std::vector<Loaded> loaded_;
};
