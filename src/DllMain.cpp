// The COM server's four entry points. Everything else lives in the static library.
#include <windows.h>
#include <olectl.h>
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

#include "win32/Barrier.h"
#include "core/ClassFactory.h"
#include "win32/Module.h"
#include "win32/WindowClass.h"
#include "core/Registration.h"

// What the C++ runtime calls when an exception escapes everything: the barriers let none, and a
// plugin has no console to name it on. The runtime's own would bring a name demangler along.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}

// The C++ runtime's throws of its own errors (a string too long, an index out of range), thrown
// without its std::string-based exception types, whose definitions would bring a second string
// library along (a third of the module). The barriers catch them all the same.
namespace {
struct LibraryFault final : std::exception {
    explicit LibraryFault(const char *what) : what_(what) {}
    const char *what() const noexcept override { return what_; }
    const char *what_;
};
}

namespace std {
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char *what) { throw LibraryFault(what); }
void __throw_domain_error(const char *what) { throw LibraryFault(what); }
void __throw_invalid_argument(const char *what) { throw LibraryFault(what); }
void __throw_length_error(const char *what) { throw LibraryFault(what); }
void __throw_out_of_range(const char *what) { throw LibraryFault(what); }
void __throw_out_of_range_fmt(const char *what, ...) { throw LibraryFault(what); }
void __throw_runtime_error(const char *what) { throw LibraryFault(what); }
void __throw_range_error(const char *what) { throw LibraryFault(what); }
void __throw_overflow_error(const char *what) { throw LibraryFault(what); }
void __throw_underflow_error(const char *what) { throw LibraryFault(what); }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        Module::SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    // Unloaded while the process goes on: no class of ours may outlive our code. At the
    // process's end the classes go with it.
    if (reason == DLL_PROCESS_DETACH && !reserved) WindowClass::UnregisterAll();
    return TRUE;
}

STDAPI DllCanUnloadNow() { return Module::CanUnload() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void **out) {
    return ComBarrier([&] { return GetDirhoardClassObject(clsid, iid, out); });
}

STDAPI DllRegisterServer() {
    return ComBarrier([]() -> HRESULT {
        const std::wstring path = Module::FileOf(Module::Instance());
        if (path.empty()) return SELFREG_E_CLASS;
        return RegisterServer(path.c_str());
    });
}

STDAPI DllUnregisterServer() {
    return ComBarrier([] { return UnregisterServer(); });
}
