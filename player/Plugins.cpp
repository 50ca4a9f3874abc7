#include "Plugins.h"

void Plugins::Load(const std::wstring &folder, HWND player) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\gen_*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) Start(folder + L"\\" + found.cFileName, player);
    } while (FindNextFileW(search, &found));
    FindClose(search);
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
    loaded_.push_back({module, header, true});
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

void Plugins::Quit() {
    for (auto &plugin : loaded_) {
        if (plugin.running && plugin.header->quit) plugin.header->quit();
        plugin.running = false;
    }
}

void Plugins::Unload() {
    Quit();
    for (auto &plugin : loaded_) FreeLibrary(plugin.module);
    loaded_.clear();
}
