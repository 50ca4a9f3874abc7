#pragma once
// What the plugin tells a screen reader through the platform's dynamic annotation, which
// Wine's oleacc takes and drops: a stand-in service that keeps every call, in place while it
// lives. The plugin's thread only.
#include <windows.h>
#include <oleacc.h>
#include <string>
#include <vector>
#include "win32/Accessible.h"

namespace test {
class Annotations final : public IAccPropServices {
public:
    // The properties the plugin sets, by the platform's identifiers.
    static constexpr GUID kName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
    static constexpr GUID kLiveSetting = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};

    struct Call {
        HWND window;
        DWORD object, child;
        GUID property;        // GUID_NULL for a clear
        std::wstring text;    // a string property
        VARIANT value;        // any other
    };

    Annotations() { Accessible::UseServices(this); }
    ~Annotations() { Accessible::UseServices(nullptr); }
    Annotations(const Annotations &) = delete;
    Annotations &operator=(const Annotations &) = delete;

    const std::vector<Call> &Calls() const { return calls_; }
    // The string `property` of `window` as last set and not cleared since; null: none.
    const std::wstring *Text(HWND window, const GUID &property) const {
        const std::wstring *found = nullptr;
        for (const Call &c : calls_) {
            if (c.window != window) continue;
            if (c.property == GUID_NULL) found = nullptr;
            else if (c.property == property) found = &c.text;
        }
        return found;
    }
    // Whether `window` was made a polite live region.
    bool Polite(HWND window) const {
        for (const Call &c : calls_)
            if (c.window == window && c.property == kLiveSetting && c.value.vt == VT_I4 && c.value.lVal == 1) return true;
        return false;
    }
    // Whether the last call for `window` cleared what was set on it.
    bool Cleared(HWND window) const {
        for (auto c = calls_.rbegin(); c != calls_.rend(); ++c)
            if (c->window == window) return c->property == GUID_NULL;
        return false;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override {
        *out = iid == IID_IUnknown ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP SetHwndProp(HWND hwnd, DWORD object, DWORD child, MSAAPROPID property, VARIANT var) override {
        calls_.push_back({hwnd, object, child, property, {}, var});
        return S_OK;
    }
    STDMETHODIMP SetHwndPropStr(HWND hwnd, DWORD object, DWORD child, MSAAPROPID property, LPCWSTR str) override {
        calls_.push_back({hwnd, object, child, property, str ? str : L"", {}});
        return S_OK;
    }
    STDMETHODIMP ClearHwndProps(HWND hwnd, DWORD object, DWORD child, const MSAAPROPID *, int) override {
        calls_.push_back({hwnd, object, child, GUID_NULL, {}, {}});
        return S_OK;
    }

    STDMETHODIMP SetPropValue(const BYTE *, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP SetPropServer(const BYTE *, DWORD, const MSAAPROPID *, int, IAccPropServer *, AnnoScope) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP ClearProps(const BYTE *, DWORD, const MSAAPROPID *, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID *, int, IAccPropServer *, AnnoScope) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE **, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP DecomposeHwndIdentityString(const BYTE *, DWORD, HWND *, DWORD *, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID *, int, IAccPropServer *, AnnoScope) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP ClearHmenuProps(HMENU, DWORD, const MSAAPROPID *, int) override { return E_NOTIMPL; }
    STDMETHODIMP ComposeHmenuIdentityString(HMENU, DWORD, BYTE **, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP DecomposeHmenuIdentityString(const BYTE *, DWORD, HMENU *, DWORD *) override { return E_NOTIMPL; }

private:
    std::vector<Call> calls_;
};
}
