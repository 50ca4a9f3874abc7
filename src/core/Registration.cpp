#include "core/Registration.h"

#include <oleauto.h>
#include <olectl.h>
#include <string>
#include "win32/ComPtr.h"
#include "DirhoardEx_h.h"
#include "win32/RegistryText.h"

namespace {
std::wstring GuidText(REFGUID guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

struct Entry {
    std::wstring key;      // below HKEY_CLASSES_ROOT
    const wchar_t *name;   // nullptr: the key's default value
    std::wstring value;
};

std::wstring ClassKey() { return L"CLSID\\" + GuidText(CLSID_clsDirhoardEx); }

LSTATUS SetValue(const Entry &e) { return RegistryText::Set(HKEY_CLASSES_ROOT, e.key, e.name, e.value); }

SYSKIND ThisSysKind() { return sizeof(void *) == 8 ? SYS_WIN64 : SYS_WIN32; }
}

HRESULT RegisterServer(const wchar_t *modulePath) {
    const std::wstring clsidKey = ClassKey();
    const std::wstring clsid = GuidText(CLSID_clsDirhoardEx);
    const Entry entries[] = {
        {clsidKey, nullptr, ProgId},
        {clsidKey + L"\\InprocServer32", nullptr, modulePath},
        {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsidKey + L"\\ProgID", nullptr, ProgId},
        {clsidKey + L"\\TypeLib", nullptr, GuidText(LIBID_DirhoardEx)},
        {clsidKey + L"\\Version", nullptr, L"1.0"},
        {ProgId, nullptr, ProgId},
        {std::wstring(ProgId) + L"\\CLSID", nullptr, clsid},
    };
    for (const Entry &e : entries) {
        if (SetValue(e) != ERROR_SUCCESS) {
            UnregisterServer();
            return SELFREG_E_CLASS;
        }
    }

    ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(modulePath, REGKIND_NONE, library.Put());
    if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.Get(), const_cast<LPOLESTR>(modulePath), nullptr);
    if (FAILED(hr)) {
        UnregisterServer();
        return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

HRESULT UnregisterServer() {
    HRESULT result = S_OK;
    for (const std::wstring &tree : {ClassKey(), std::wstring(ProgId)}) {
        LSTATUS rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, tree.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) result = SELFREG_E_CLASS;
    }
    // A type library that is not registered (any more) is nothing to remove.
    UnRegisterTypeLib(LIBID_DirhoardEx, 1, 0, LOCALE_NEUTRAL, ThisSysKind());
    return result;
}
