#include "win32/WindowClass.h"

#include <string>
#include <vector>
#include "win32/Lock.h"
#include "win32/Module.h"

namespace WindowClass {
namespace {
Lock lock;
std::vector<std::wstring> registered;
}

bool Register(const wchar_t *name, WNDPROC proc, const Options &options) {
    Held hold(lock);
    for (const std::wstring &known : registered)
        if (known == name) return true;
    // The same fields either way; only the name's and the call's character set differ.
    const auto registerAs = [&](auto wc, auto className, auto registerClass) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = Module::Instance();
        wc.hCursor = options.cursor;
        wc.hbrBackground = options.background;
        wc.lpszClassName = className;
        return registerClass(&wc);
    };
    const std::string ansi(name, name + wcslen(name));
    const ATOM atom = options.ansi ? registerAs(WNDCLASSEXA{}, ansi.c_str(), RegisterClassExA)
                                   : registerAs(WNDCLASSEXW{}, name, RegisterClassExW);
    if (!atom) return false;
    registered.emplace_back(name);
    return true;
}

HWND MessageOnly(const wchar_t *name, WNDPROC proc, void *param) {
    if (!Register(name, proc)) return nullptr;
    return CreateWindowExW(0, name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Module::Instance(), param);
}

void UnregisterAll() {
    Held hold(lock);
    for (const std::wstring &name : registered) UnregisterClassW(name.c_str(), Module::Instance());
    registered.clear();
}
}
