#include "TempTree.h"

#include <atomic>
#include "Wait.h"

namespace test {
namespace {
std::atomic<int> counter{0};

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool Gone(const std::wstring &path) { return !Exists(path); }

std::wstring Extended(const std::wstring &path) { return L"\\\\?\\" + path; }

void MakeParents(const std::wstring &path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(Extended(path.substr(0, at)).c_str(), nullptr);
}

// Windows' own removal; links (reparse points) are left to the Unix side.
void RemoveTree(const std::wstring &folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(Extended(folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(Extended(path).c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(Extended(folder).c_str());
}

std::wstring Widen(const std::string &text) { return std::wstring(text.begin(), text.end()); }
}

std::string UnixPath(const std::wstring &path) {
    using Convert = char *(CDECL *)(LPCWSTR);
    auto convert = reinterpret_cast<Convert>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name"));
    if (!convert) return {};
    char *unix = convert(path.c_str());
    if (!unix) return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool RunUnix(const std::wstring &commandLine, bool (*done)(const std::wstring &), const std::wstring &subject,
             DWORD timeoutMs) {
    std::wstring line = commandLine;
    const std::wstring program = line.substr(0, line.find(L' '));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine does not report a Unix program's end: watch for its effect.
    return PollUntil([&] { return done(subject); }, timeoutMs);
}

bool RunShell(const std::wstring &folder, const std::string &commands, DWORD timeoutMs) {
    const std::wstring id = std::to_wstring(++counter);
    const std::wstring script = folder + L"\\.shell" + id, done = folder + L"\\.done" + id;
    const std::string text = "cd '" + UnixPath(folder) + "' && { " + commands + "; }; touch '" + UnixPath(done) + "'\n";
    HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    const bool ran = RunUnix(L"/bin/sh " + Widen(UnixPath(script)), Exists, done, timeoutMs);
    DeleteFileW(script.c_str());
    DeleteFileW(done.c_str());
    return ran;
}

bool MakeUnixSymlink(const std::wstring &target, const std::wstring &link) {
    const std::string from = UnixPath(target), to = UnixPath(link);
    if (from.empty() || to.empty()) return false;
    return RunUnix(L"/bin/ln -s " + Widen(from) + L" " + Widen(to), Exists, link);
}

TempTree::TempTree() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"dhx" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    RemoveTree(root_);
    CreateDirectoryW(root_.c_str(), nullptr);
}

TempTree::~TempTree() {
    RemoveTree(root_);
    if (Exists(root_)) RunUnix(L"/bin/rm -rf " + Widen(UnixPath(root_)), Gone, root_);
}

std::wstring TempTree::Folder(const std::wstring &relative) const {
    const std::wstring path = Path(relative);
    MakeParents(path);
    CreateDirectoryW(Extended(path).c_str(), nullptr);
    return path;
}

std::wstring TempTree::File(const std::wstring &relative) const {
    const std::wstring path = Path(relative);
    MakeParents(path);
    HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return path;
}
}
