#include "Server.h"

#include <gtest/gtest.h>
#include "DirhoardEx_h.h"
#include "win32/Handles.h"
#include "Registry.h"
#include "Wait.h"
#include "win32/Module.h"

namespace test {
std::wstring BesideThisProgram(const wchar_t *file) {
    return Module::FolderOf(nullptr) + L"\\" + file;
}

DWORD RunRegsvr32(bool unregister, const std::wstring &dll) {
    std::wstring command = std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" + dll + L"\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

void EnsureRegistered() { ASSERT_EQ(RunRegsvr32(false), 0u) << "regsvr32 DirhoardEx.dll failed"; }

bool KeyExists(HKEY root, const std::wstring &path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::wstring RegisteredFile() {
    wchar_t clsid[40];
    StringFromGUID2(CLSID_clsDirhoardEx, clsid, 40);
    return ReadText(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32");
}

std::wstring CopyBuilt(const wchar_t *file, const std::wstring &folder, const wchar_t *as) {
    const std::wstring copy = folder + L"\\" + (as ? as : file);
    EXPECT_TRUE(CopyFileW(BesideThisProgram(file).c_str(), copy.c_str(), FALSE)) << "copying to " << copy;
    return copy;
}

bool FileExists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {
constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPending[] = L"PendingFileRenameOperations";
constexpr wchar_t kNtPrefix[] = L"\\??\\";

// Pairs of (file, new name); an empty new name is a deletion.
std::vector<std::wstring> PendingOperations() {
    std::vector<std::wstring> items;
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return items;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, RRF_RT_REG_MULTI_SZ, nullptr, data.data(),
                     &size) != ERROR_SUCCESS)
        return items;
    data.resize(size / sizeof(wchar_t));
    // Each string ends in a NUL, and the list in a second one; an empty string is a deletion's target.
    for (size_t at = 0; at + 1 < data.size();) {
        const size_t end = data.find(L'\0', at);
        items.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    if (items.size() % 2) items.pop_back();
    return items;
}

std::wstring Plain(const std::wstring &nt) {
    return nt.rfind(kNtPrefix, 0) == 0 ? nt.substr(wcslen(kNtPrefix)) : nt;
}
}

std::vector<std::wstring> DeletedAtReboot() {
    std::vector<std::wstring> files;
    const auto items = PendingOperations();
    for (size_t i = 0; i + 1 < items.size(); i += 2)
        if (items[i + 1].empty()) files.push_back(Plain(items[i]));
    return files;
}

void ForgetDeletionsAtReboot(const std::wstring &folder) {
    const auto items = PendingOperations();
    const std::wstring below = folder + L"\\";
    std::wstring kept;
    for (size_t i = 0; i + 1 < items.size(); i += 2) {
        if (items[i + 1].empty() && Plain(items[i]).rfind(below, 0) == 0) continue;
        for (const std::wstring *item : {&items[i], &items[i + 1]}) {
            kept += *item;
            kept.push_back(L'\0');
        }
    }
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.Put()) != ERROR_SUCCESS) return;
    if (kept.empty()) {
        RegDeleteValueW(key.Get(), kPending);
    } else {
        kept += L'\0';
        RegSetValueExW(key.Get(), kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(kept.data()),
                       static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
    }
}
}
