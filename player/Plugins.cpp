#include "Plugins.h"

#include <algorithm>
#include "win32/Handles.h"
#include "Removal.h"

void Plugins::RemovePending() const { Removal::RunPending(removalList_); }

void Plugins::Load(const std::wstring &folder, HWND player) {
    const std::vector<std::wstring> stuck = Removal::Pending(removalList_);
    WIN32_FIND_DATAW found;
    FindHandle search(FindFirstFileW((folder + L"\\gen_*.dll").c_str(), &found));
    if (!search) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring file = folder + L"\\" + found.cFileName;
        const bool uninstalled = std::any_of(stuck.begin(), stuck.end(), [&](const std::wstring &listed) {
            return CompareStringOrdinal(listed.c_str(), -1, file.c_str(), -1, TRUE) == CSTR_EQUAL;
        });
        if (!uninstalled) Start(file, player);
    } while (FindNextFileW(search.Get(), &found));
}

void Plugins::Start(const std::wstring &file, HWND player) {
    HMODULE module = LoadLibraryW(file.c_str());
    if (!module) return;
    auto entry = reinterpret_cast<GenPluginEntry>(GetProcAddress(module, GenPluginEntryName));
    GenPluginHeader *header = entry ? entry() : nullptr;
    if (!header || header->version != GenPluginVersion || !header->init) {
        FreeLibrary(module);
        return;
    }
    header->hwndParent = player;
    header->hDllInstance = module;
    if (header->init() != 0) {
        FreeLibrary(module);
        return;
    }
    loaded_.push_back({module, header, file, true, false});
}

std::wstring Plugins::Description(size_t index) const {
    const char *text = loaded_.at(index).header->description;
    if (!text) return L"";
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    return wide;
}

void Plugins::Configure(size_t index) const {
    const auto &plugin = loaded_.at(index);
    if (plugin.running && plugin.header->config) plugin.header->config();
}

Plugins::Uninstalled Plugins::Uninstall(size_t index, HWND parent) {
    if (!CanUninstall(index)) return Uninstalled::Kept;
    auto &plugin = loaded_.at(index);
    auto entry = reinterpret_cast<GenUninstallEntry>(GetProcAddress(plugin.module, GenUninstallEntryName));
    const int answer = entry ? entry(plugin.module, parent, 0) : GenUninstallRestart;
    if (answer == GenUninstallRestart) {
        plugin.removing = Removal::Schedule(removalList_, plugin.file);
        return plugin.removing ? Uninstalled::Restart : Uninstalled::Kept;
    }
    if (answer != GenUninstallNow) return Uninstalled::Kept;
    Stop(plugin);
    FreeLibrary(plugin.module);
    if (!DeleteFileW(plugin.file.c_str())) Removal::Schedule(removalList_, plugin.file);
    loaded_.erase(loaded_.begin() + static_cast<std::ptrdiff_t>(index));
    return Uninstalled::Now;
}

void Plugins::Stop(Loaded &plugin) {
    if (plugin.running && plugin.header->quit) plugin.header->quit();
    plugin.running = false;
}

void Plugins::Quit() {
    for (auto plugin = loaded_.rbegin(); plugin != loaded_.rend(); ++plugin) Stop(*plugin);
}
