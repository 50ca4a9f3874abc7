#pragma once
// The plugin object the player-side host creates and drives: Initialize, Configure, Quit.
#include <windows.h>
#include "DirhoardEx_h.h"
#include <memory>
#include "win32/ComPtr.h"

class frmDirhoardEx;

class clsDirhoardEx final : public _clsDirhoardEx, public IKobWinAmpGenPlugin {
public:
    static HRESULT Create(REFIID iid, void **out);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, through the type library: the default interface has no members of its own.
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID lcid, DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *excep, UINT *argErr) override;

    // IKobWinAmpGenPlugin
    STDMETHODIMP Initialize(Wrapper *wrapper) override;
    STDMETHODIMP Configure() override;
    STDMETHODIMP Quit() override;

private:
    clsDirhoardEx();
    ~clsDirhoardEx();
    HRESULT LoadTypeInfo();
    frmDirhoardEx &ConfigWindow();

    LONG refs_ = 1;
    ComPtr<Wrapper> HostWrapper;
    ComPtr<ITypeInfo> typeInfo_;
    // Made by Initialize, or on demand by Configure or Quit; its window only by Configure.
    std::unique_ptr<frmDirhoardEx> configWindow_;
};

// The description the host shows for the plugin.
inline constexpr wchar_t PluginDescription[] = L"Dirhoard+ WinAmp Plugin by Vaskell";
