#include "Uninstall.h"

#include "core/Registration.h"
#include "core/modGlobalDefinitions.h"
#include "ServerSource.h"

namespace {
// The platform's per-user application store that the plugin's settings live in.
constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\DirhoardEx";
constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// What the setup program leaves: its entry in Add/Remove Programs, and its uninstaller in Plugins.
constexpr wchar_t kSetupEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DirhoardEx";
constexpr wchar_t kSetupUninstaller[] = L"Uninstall DirhoardEx.exe";

bool SameFile(const wchar_t *a, const wchar_t *b) {
    wchar_t longA[MAX_PATH * 2], longB[MAX_PATH * 2];
    const DWORD na = GetLongPathNameW(a, longA, MAX_PATH * 2), nb = GetLongPathNameW(b, longB, MAX_PATH * 2);
    return CompareStringOrdinal(na && na < MAX_PATH * 2 ? longA : a, -1, nb && nb < MAX_PATH * 2 ? longB : b, -1,
                                TRUE) == CSTR_EQUAL;
}

Text &Paragraph(Text &left) { return left.Empty() ? left : left.Add(L"\n\n"); }

// The user's next logon deletes the file: what needs no administrator rights.
bool DeleteAtNextLogon(const wchar_t *file) {
    // cmd expands %NAME% even inside quotes.
    for (const wchar_t *c = file; *c; ++c)
        if (*c == L'%') return false;
    wchar_t shell[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"ComSpec", shell, MAX_PATH);
    const Text command = Text(n > 0 && n < MAX_PATH ? shell : L"cmd.exe").Add(L" /c del /f /q \"").Add(file).Add(L"\"");
    const DWORD bytes = static_cast<DWORD>((lstrlenW(command.Get()) + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CURRENT_USER, kRunOnceKey, L"DirhoardEx removal", REG_SZ, command.Get(), bytes) ==
           ERROR_SUCCESS;
}

// A loaded DLL cannot be deleted, but it can be renamed: its name goes now, so that nothing
// loads it again and a later install is not touched, and the renamed file when Windows or
// the user's session next starts.
void RemoveServerFile(const wchar_t *file, Text &left) {
    if (DeleteFileW(file)) return;
    const Text aside = Text(file).Add(L".removed");
    DeleteFileW(aside.Get());  // an earlier uninstall's, no longer loaded
    if (!MoveFileExW(file, aside.Get(), 0)) {
        const DWORD error = GetLastError();
        Paragraph(left).Add(file).Add(L"\nis in use and could not be removed (").Error(error);
        left.Add(L"). Delete it once the player is closed.");
        return;
    }
    if (DeleteFileW(aside.Get())) return;
    if (MoveFileExW(aside.Get(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return;
    if (DeleteAtNextLogon(aside.Get())) return;
    Paragraph(left).Add(aside).Add(L"\ncould not be removed. Delete it once the player is closed.");
}

// The registration, where it names this file: through the DLL's own unregistration, as
// regsvr32 /u does. A registration of a copy elsewhere belongs to that copy's install.
void Unregister(const wchar_t *file, Text &left) {
    wchar_t registered[MAX_PATH * 2];
    RegisteredServerFile(registered);
    if (!registered[0] || !SameFile(registered, file)) return;
    HMODULE server = GetModuleHandleW(file);
    if (!server) server = LoadLibraryExW(file, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const auto unregister =
        server ? reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(GetProcAddress(server, "DllUnregisterServer")) : nullptr;
    const HRESULT hr = unregister ? unregister() : HRESULT_FROM_WIN32(GetLastError());
    if (SUCCEEDED(hr)) return;
    Paragraph(left).Add(L"The registration of ").Add(ProgId).Add(L" could not be removed (error ");
    left.Hex(static_cast<unsigned long>(hr)).Add(L"). Remove it from a command prompt run as administrator:\n    ");
    left.Add(L"regsvr32 /u \"").Add(file).Add(L"\"");
}

// The setup program's uninstaller and its entry in Add/Remove Programs, where they are this
// folder's: with the plugin gone they would only stay listed. The entry first: where it cannot
// go, the uninstaller it runs stays for it.
void RemoveSetup(const wchar_t *folder, Text &left) {
    wchar_t location[MAX_PATH * 2] = {};
    DWORD size = sizeof location;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSetupEntry, L"InstallLocation", RRF_RT_REG_SZ, nullptr, location, &size) ==
            ERROR_SUCCESS &&
        SameFile(location, folder)) {
        const LSTATUS rc = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSetupEntry);
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
            Paragraph(left).Add(L"The entry \"Dirhoard+ (DirhoardEx) plugin\" in Add/Remove Programs could not be ");
            left.Add(L"removed (").Error(static_cast<DWORD>(rc)).Add(L"). Uninstall it there once the player is closed.");
            return;
        }
    }
    const Text uninstaller = Text(folder).Add(L"\\").Add(kSetupUninstaller);
    if (GetFileAttributesW(uninstaller.Get()) == INVALID_FILE_ATTRIBUTES || DeleteFileW(uninstaller.Get())) return;
    const DWORD error = GetLastError();
    if (MoveFileExW(uninstaller.Get(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return;
    Paragraph(left).Add(uninstaller).Add(L"\ncould not be removed (").Error(error);
    left.Add(L"). Delete it once the player is closed.");
}
}

bool AskForgetSettings(HWND parent) {
    return MessageBoxW(parent,
                       L"Keep the Dirhoard+ settings (the hotkey letter, the last folder and \"Recurse subdirectories\") "
                       L"for a later install?\n\nNo deletes them. The player then restarts to finish the uninstall: "
                       L"playback stops.",
                       modGlobalDefinitions::AppTitleW, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDNO;
}

void RemoveInstall(const wchar_t *folder, bool forgetSettings, Text &left) {
    const Text file = Text(folder).Add(L"\\").Add(kServerFile);
    Unregister(file.Get(), left);
    if (GetFileAttributesW(file.Get()) != INVALID_FILE_ATTRIBUTES) RemoveServerFile(file.Get(), left);
    RemoveSetup(folder, left);
    if (!forgetSettings) return;
    const LSTATUS rc = RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return;
    Paragraph(left).Add(L"The settings below HKEY_CURRENT_USER\\").Add(kSettingsKey).Add(L" could not be deleted (");
    left.Error(static_cast<DWORD>(rc)).Add(L").");
}

void TellWhatWasLeft(HWND parent, const Text &left) {
    if (left.Empty()) return;
    const Text text = Text(L"Dirhoard+ is uninstalled, but not everything could be removed:\n\n").Add(left);
    // A quit waiting on this thread would end the box before anyone read it: it waits instead.
    MSG quit;
    const bool quitting = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    ShowError(IsWindow(parent) ? parent : nullptr, text);
    if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
}
