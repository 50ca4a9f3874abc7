#include "folders/FolderCheck.h"

#include <atomic>
#include <memory>
#include "win32/ModuleThread.h"

namespace folders {
namespace {
bool OnNetworkDrive(const std::wstring &path, const FolderProbe &probe) {
    if (path.starts_with(L"\\\\")) return true;
    if (path.size() < 2 || path[1] != L':') return false;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return probe.driveType(root) == DRIVE_REMOTE;
}
}

bool IsFolderWithin(const std::wstring &path, DWORD timeoutMs, const FolderProbe &probe) {
    DWORD found = INVALID_FILE_ATTRIBUTES;
    if (!OnNetworkDrive(path, probe)) {
        found = probe.attributes(path.c_str());
    } else {
        // Shared with the check's thread, which may outlive this call.
        auto answer = std::make_shared<std::atomic<DWORD>>(INVALID_FILE_ATTRIBUTES);
        const auto attributes = probe.attributes;
        KernelHandle thread = ModuleThread::Start([answer, attributes, path] { *answer = attributes(path.c_str()); });
        if (!thread || WaitForSingleObject(thread.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
        found = *answer;
    }
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY);
}
}
