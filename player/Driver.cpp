// PlayerDriver: acts on windows of other processes the way a user would, for scripts.
// Every wait has a deadline; the exit code says whether the step happened (0) or not (1).
//   PlayerDriver wait WINDOW SECONDS        a visible top-level window appears
//   PlayerDriver gone WINDOW SECONDS        no such window is left
//   PlayerDriver hotkey LETTER              presses Ctrl+Alt+LETTER (SendInput)
//   PlayerDriver click WINDOW BUTTON        clicks the button (any depth) with that text
//   PlayerDriver shows WINDOW PREFIX SECONDS  a visible child control's text begins with PREFIX
//   PlayerDriver command WINDOW ID          posts WM_COMMAND ID (a menu item)
//   PlayerDriver close WINDOW               posts WM_CLOSE
//   PlayerDriver logoff WINDOW              ends the session for its program, as at Windows logoff:
//                                           WM_QUERYENDSESSION, then WM_ENDSESSION if it agrees
//   PlayerDriver list WINDOW                prints the window's child controls
//   PlayerDriver caption WINDOW             prints the window's caption (UTF-8), as WM_GETTEXT reads it
//   PlayerDriver resolve PATH...            prints each path's long form (UTF-8), or fails
//   PlayerDriver hold DLL SECONDS           keeps DLL loaded, as another program using it would,
//                                           while a window "holding NAME" is open (close ends it)
// WINDOW is a caption, or "class:NAME" for a window class.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr DWORD kSendTimeoutMs = 30000;

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

struct Selector {
    std::wstring value;
    bool byClass;
    bool Matches(HWND window) const { return (byClass ? ClassOf(window) : TextOf(window)) == value; }
};

Selector Parse(const std::wstring &arg) {
    if (arg.rfind(L"class:", 0) == 0) return {arg.substr(6), true};
    return {arg, false};
}

struct Search {
    const Selector *selector;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto *s = reinterpret_cast<Search *>(param);
    if (!IsWindowVisible(window) || !s->selector->Matches(window)) return TRUE;
    s->found = window;
    return FALSE;
}

HWND Find(const Selector &selector) {
    Search search{&selector, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitFor(const Selector &selector, bool present, double seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while ((Find(selector) != nullptr) != present) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
    return true;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND> *>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

void Key(std::vector<INPUT> &inputs, WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
}

int Hotkey(wchar_t letter) {
    const WORD vk = static_cast<WORD>(towupper(letter));
    std::vector<INPUT> inputs;
    Key(inputs, VK_CONTROL, false);
    Key(inputs, VK_MENU, false);
    Key(inputs, vk, false);
    Key(inputs, vk, true);
    Key(inputs, VK_MENU, true);
    Key(inputs, VK_CONTROL, true);
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size() ? 0 : 1;
}

int Fail(const std::wstring &what) {
    fwprintf(stderr, L"PlayerDriver: %ls\n", what.c_str());
    return 1;
}

void PrintUtf8(const std::wstring &text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                          nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// Short (8.3) components become the names they stand for, as the file system resolves them.
int Resolve(const std::vector<std::wstring> &paths) {
    int status = 0;
    std::wstring out;
    for (const auto &path : paths) {
        wchar_t full[4 * MAX_PATH];
        const DWORD n = GetLongPathNameW(path.c_str(), full, 4 * MAX_PATH);
        if (n == 0 || n >= 4 * MAX_PATH) {
            status = Fail(L"does not resolve: " + path);
            continue;
        }
        out += std::wstring(full, n) + L"\n";
    }
    PrintUtf8(out);
    return status;
}

// The window is what a script waits for and closes; the deadline ends a hold nobody closes.
int Hold(const std::wstring &dll, double seconds) {
    HMODULE library = LoadLibraryW(dll.c_str());
    if (!library) return Fail(L"cannot load " + dll);
    const std::wstring title = L"holding " + dll.substr(dll.find_last_of(L'\\') + 1);
    HWND window = CreateWindowW(L"Static", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 80, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (window && IsWindow(window) && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    if (window && IsWindow(window)) DestroyWindow(window);
    FreeLibrary(library);
    return window ? 0 : Fail(L"no window");
}

// A program may end itself inside WM_ENDSESSION, as Windows would end it after: no answer then.
int Logoff(HWND window) {
    DWORD_PTR agreed = 0;
    if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kSendTimeoutMs, &agreed))
        return Fail(L"no answer to WM_QUERYENDSESSION within 30 s");
    if (!agreed) return Fail(L"the window refused to end the session");
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kSendTimeoutMs, &ignored))
        return 0;
    const ULONGLONG deadline = GetTickCount64() + kSendTimeoutMs;
    while (IsWindow(window)) {
        if (GetTickCount64() >= deadline) return Fail(L"no answer to WM_ENDSESSION within 30 s");
        Sleep(50);
    }
    return 0;
}

int Run(const std::vector<std::wstring> &args) {
    if (args.size() < 2)
        return Fail(L"usage: PlayerDriver wait|gone|hotkey|click|shows|command|close|logoff|list|caption|resolve|"
                    L"hold ...");
    const std::wstring &verb = args[0];
    if (verb == L"resolve") return Resolve({args.begin() + 1, args.end()});
    if (verb == L"hold") return Hold(args[1], args.size() > 2 ? _wtof(args[2].c_str()) : 10);
    if (verb == L"hotkey") return args[1].empty() ? Fail(L"no letter") : Hotkey(args[1][0]);

    const Selector selector = Parse(args[1]);
    if (verb == L"wait" || verb == L"gone") {
        const double seconds = args.size() > 2 ? _wtof(args[2].c_str()) : 10;
        const bool present = verb == L"wait";
        if (WaitFor(selector, present, seconds)) return 0;
        return Fail((present ? L"no window \"" : L"still a window \"") + args[1] + L"\" after " +
                    std::to_wstring(static_cast<int>(seconds)) + L" s");
    }
    HWND window = Find(selector);
    if (!window) return Fail(L"no window \"" + args[1] + L"\"");
    if (verb == L"close") return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (verb == L"logoff") return Logoff(window);
    if (verb == L"caption") {
        PrintUtf8(TextOf(window) + L"\n");
        return 0;
    }
    if (verb == L"command" && args.size() > 2)
        return PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(_wtoi(args[2].c_str())), 0) ? 0 : 1;
    if (verb == L"list") {
        for (HWND child : Children(window))
            wprintf(L"%ls \"%ls\"%ls\n", ClassOf(child).c_str(), TextOf(child).c_str(),
                    IsWindowVisible(child) ? L"" : L" (hidden)");
        return 0;
    }
    if (verb == L"shows" && args.size() > 2) {
        const double seconds = args.size() > 3 ? _wtof(args[3].c_str()) : 10;
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
        for (;;) {
            for (HWND child : Children(window))
                if (IsWindowVisible(child) && TextOf(child).rfind(args[2], 0) == 0) return 0;
            if (GetTickCount64() >= deadline) return Fail(L"no \"" + args[2] + L"...\" in \"" + args[1] + L"\"");
            Sleep(50);
        }
    }
    if (verb == L"click" && args.size() > 2) {
        HWND button = nullptr;
        for (HWND child : Children(window))
            if (ClassOf(child) == L"Button" && TextOf(child) == args[2]) button = child;
        if (!button) return Fail(L"no button \"" + args[2] + L"\" in \"" + args[1] + L"\"");
        DWORD_PTR result = 0;
        // Returns once the click has been handled.
        if (SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result)) return 0;
        // A click that ends its dialog may not answer: the dialog is gone, the click happened.
        if (!IsWindow(window)) return 0;
        return Fail(L"\"" + args[2] + L"\" did not answer within 30 s");
    }
    return Fail(L"unknown command " + verb);
}
}

int wmain(int argc, wchar_t **argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    return Run(args);
}
