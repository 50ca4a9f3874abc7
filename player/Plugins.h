#pragma once
// The player's general-purpose plugins: every gen_*.dll in a folder, loaded, started with
// init once the main window exists, configured on request and stopped with quit.
#include <windows.h>
#include <string>
#include <vector>
#include "GenPlugin.h"

class Plugins {
public:
    Plugins() = default;
    Plugins(const Plugins &) = delete;
    Plugins &operator=(const Plugins &) = delete;
    ~Plugins() { Unload(); }

    // Loads and starts each plugin of `folder`; one whose init fails is unloaded at once.
    void Load(const std::wstring &folder, HWND player);
    size_t Count() const { return loaded_.size(); }
    std::wstring Description(size_t index) const;
    void Configure(size_t index) const;
    // quit for each plugin, in loading order; safe to call twice.
    void Quit();
    // Frees the libraries; call when the main window is gone (plugins may sit in its procedure chain).
    void Unload();

private:
    struct Loaded {
        HMODULE module;
        GenPluginHeader *header;
        bool running;
    };
    void Start(const std::wstring &file, HWND player);
    std::vector<Loaded> loaded_;
};
