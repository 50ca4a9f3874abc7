#include "folders/FolderCheck.h"

#include "win32/ModuleThread.h"

namespace folders {
namespace {
// The folder above `path`; empty above a root ("C:\", "\\server\share").
std::wstring ParentOf(const std::wstring &path) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == path.size()) return {};
    if (path.starts_with(L"\\\\")) {
        // "\\server\share" is the root of a share: its name is no folder of the walk.
        const size_t share = path.find(L'\\', 2);
        if (share == std::wstring::npos || slash <= share) return {};
    }
    // "C:\Music" -> "C:\"
    return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);
}
}

std::wstring NearestFolder(std::wstring path, const FolderProbe &probe) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    for (; !path.empty(); path = ParentOf(path)) {
        const DWORD found = probe.attributes(path.c_str());
        if (found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY)) return path;
    }
    return {};
}

std::shared_ptr<FolderCheck> FolderCheck::Start(std::wstring path, HWND window, UINT message,
                                                const FolderProbe &probe) {
    auto check = std::make_shared<FolderCheck>();
    KernelHandle thread = ModuleThread::Start([check, path = std::move(path), window, message, probe] {
        std::wstring found = NearestFolder(path, probe);
        {
            Held hold(check->lock_);
            check->answer_ = std::move(found);
            check->done_ = true;
        }
        // The browser may have closed meanwhile: then nobody asks.
        PostMessageW(window, message, 0, 0);
    });
    return thread ? check : nullptr;
}

std::optional<std::wstring> FolderCheck::Answer() const {
    Held hold(lock_);
    if (!done_) return std::nullopt;
    return answer_;
}
}
