#include "Uninstall.h"

#include "HostText.h"
#include "core/Registration.h"
#include "ServerSource.h"
#include "win32/RegistryText.h"

namespace {
// The platform's per-user application store that Settings.h writes to.
const std::wstring kSettingsKey =
    std::wstring(L"Software\\VB and VBA Program Settings\\") + modGlobalDefinitions::AppTitleW;
constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// What the setup program leaves: its entry in Add/Remove Programs, and its uninstaller in Plugins.
constexpr wchar_t kSetupEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DirhoardEx";
constexpr wchar_t kSetupUninstaller[] = L"Uninstall DirhoardEx.exe";

std::wstring LongForm(const std::wstring &path) {
    wchar_t full[MAX_PATH * 2];
    const DWORD n = GetLongPathNameW(path.c_str(), full, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(full, n) : path;
}

bool SameFile(const std::wstring &a, const std::wstring &b) {
    return CompareStringOrdinal(LongForm(a).c_str(), -1, LongForm(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The user's next logon deletes the file: what needs no administrator rights.
bool DeleteAtNextLogon(const std::wstring &file) {
    // cmd expands %NAME% even inside quotes.
    if (file.find(L'%') != std::wstring::npos) return false;
    wchar_t shell[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"ComSpec", shell, MAX_PATH);
    const std::wstring command = (n > 0 && n < MAX_PATH ? std::wstring(shell) : std::wstring(L"cmd.exe")) +
                                 L" /c del /f /q \"" + file + L"\"";
    return RegistryText::Set(HKEY_CURRENT_USER, kRunOnceKey, L"DirhoardEx removal", command) == ERROR_SUCCESS;
}

// A loaded DLL cannot be deleted, but it can be renamed: its name goes now, so that nothing
// loads it again and a later install is not touched, and the renamed file when Windows or
// the user's session next starts.
void RemoveServerFile(const std::wstring &file, std::vector<std::wstring> &left) {
    if (DeleteFileW(file.c_str())) return;
    const std::wstring aside = file + L".removed";
    DeleteFileW(aside.c_str());  // an earlier uninstall's, no longer loaded
    if (!MoveFileExW(file.c_str(), aside.c_str(), 0)) {
        left.push_back(file + L"\nis in use and could not be removed (" + ErrorText(GetLastError()) +
                       L"). Delete it once the player is closed.");
        return;
    }
    if (DeleteFileW(aside.c_str())) return;
    if (MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return;
    if (DeleteAtNextLogon(aside)) return;
    left.push_back(aside + L"\ncould not be removed. Delete it once the player is closed.");
}

// The setup program's uninstaller and its entry in Add/Remove Programs, where they are this
// folder's: with the plugin gone they would only stay listed. The entry first: where it cannot
// go, the uninstaller it runs stays for it.
void RemoveSetup(const std::wstring &folder, std::vector<std::wstring> &left) {
    wchar_t location[MAX_PATH * 2] = {};
    DWORD size = sizeof location;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSetupEntry, L"InstallLocation", RRF_RT_REG_SZ, nullptr, location, &size) ==
            ERROR_SUCCESS &&
        SameFile(location, folder)) {
        const LSTATUS rc = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSetupEntry);
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
            left.push_back(L"The entry \"Dirhoard+ (DirhoardEx) plugin\" in Add/Remove Programs could not be removed (" +
                           ErrorText(static_cast<DWORD>(rc)) + L"). Uninstall it there once the player is closed.");
            return;
        }
    }
    const std::wstring uninstaller = folder + L"\\" + kSetupUninstaller;
    if (GetFileAttributesW(uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES || DeleteFileW(uninstaller.c_str())) return;
    const DWORD error = GetLastError();
    if (MoveFileExW(uninstaller.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return;
    left.push_back(uninstaller + L"\ncould not be removed (" + ErrorText(error) + L"). Delete it once the player is closed.");
}
}

bool AskForgetSettings(HWND parent) {
    return MessageBoxW(parent,
                       L"Keep the Dirhoard+ settings (the hotkey letter, the last folder and \"Recurse subdirectories\") "
                       L"for a later install?\n\nNo deletes them. The player then restarts to finish the uninstall: "
                       L"playback stops.",
                       modGlobalDefinitions::AppTitleW, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDNO;
}

void TellWhatWasLeft(HWND parent, const std::vector<std::wstring> &left) {
    if (left.empty()) return;
    std::wstring text = L"Dirhoard+ is uninstalled, but not everything could be removed:";
    for (const auto &item : left) text += L"\n\n" + item;
    // A quit waiting on this thread would end the box before anyone read it: it waits instead.
    MSG quit;
    const bool quitting = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    ShowError(IsWindow(parent) ? parent : nullptr, text);
    if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
}

std::vector<std::wstring> RemoveInstall(const std::wstring &folder, bool forgetSettings) {
    std::vector<std::wstring> left;
    const std::wstring file = folder + L"\\" + kServerFile;
    // A registration of a copy elsewhere belongs to that copy's install.
    const std::wstring registered = RegisteredServerFile();
    if (!registered.empty() && SameFile(registered, file)) {
        const HRESULT hr = UnregisterServer();
        if (FAILED(hr))
            left.push_back(std::wstring(L"The registration of ") + ProgId + L" could not be removed (error " +
                           Hex(hr) + L"). Remove it from a command prompt run as administrator:\n    regsvr32 /u \"" +
                           file + L"\"");
    }
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) RemoveServerFile(file, left);
    RemoveSetup(folder, left);
    if (forgetSettings) {
        const LSTATUS rc = RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
            left.push_back(L"The settings below HKEY_CURRENT_USER\\" + kSettingsKey + L" could not be deleted (" +
                           ErrorText(static_cast<DWORD>(rc)) + L").");
    }
    return left;
}
