#include "win32/Module.h"

namespace {
HINSTANCE instance = nullptr;
LONG references = 0;
bool pinned = false;

// Only used for its address: it lies in this module whether we are a DLL or an EXE.
void Anchor() {}
}

namespace Module {
HINSTANCE Instance() {
    if (!instance) {
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&Anchor), &self);
        instance = self;
    }
    return instance;
}

void SetInstance(HINSTANCE h) { instance = h; }
void AddRef() { InterlockedIncrement(&references); }
void Release() { InterlockedDecrement(&references); }
bool CanUnload() { return references == 0 && !pinned; }

void Pin() {
    if (pinned) return;
    HMODULE self = nullptr;
    pinned = GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                reinterpret_cast<LPCWSTR>(&Anchor), &self) != FALSE;
}

std::wstring FileOf(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(path, n);
}

std::wstring FolderOf(HMODULE module) {
    std::wstring folder = FileOf(module);
    const size_t slash = folder.find_last_of(L'\\');
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    return folder;
}
}
