// The composition root: the one core file that reaches into hook and config, to start them.
#include "core/clsDirhoardEx.h"

#include "win32/Barrier.h"
#include "win32/Bstr.h"
#include "win32/InterfaceTable.h"
#include "win32/Module.h"
#include "config/frmDirhoardEx.h"
#include "folders/Folders.h"
#include "hook/modWinampWindowProc.h"
#include "core/modGlobalDefinitions.h"

HRESULT clsDirhoardEx::Create(REFIID iid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto *object = new (std::nothrow) clsDirhoardEx();
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

namespace {
// Objects alive in this module; another host object may come and go during a walk.
LONG liveObjects = 0;
}

clsDirhoardEx::clsDirhoardEx() {
    Module::AddRef();
    InterlockedIncrement(&liveObjects);
}

clsDirhoardEx::~clsDirhoardEx() {
    // The host let go of the last of us: nothing more goes to the player.
    if (InterlockedDecrement(&liveObjects) == 0) modDirhoardEx::StopWalk();
    Module::Release();
}

namespace {
// Made as the module loads: a table made at the first call would need a thread-safe guard.
const InterfaceEntry interfaces[] = {
    EntryOf<clsDirhoardEx, _clsDirhoardEx>(IID__clsDirhoardEx),
    EntryOf<clsDirhoardEx, _clsDirhoardEx>(IID_IDispatch),
    EntryOf<clsDirhoardEx, IKobWinAmpGenPlugin>(IID_IKobWinAmpGenPlugin),
};
}

STDMETHODIMP clsDirhoardEx::QueryInterface(REFIID iid, void **out) { return QueryTable(this, interfaces, iid, out); }

STDMETHODIMP_(ULONG) clsDirhoardEx::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) clsDirhoardEx::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT clsDirhoardEx::LoadTypeInfo() {
    if (typeInfo_) return S_OK;
    const std::wstring path = Module::FileOf(Module::Instance());
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(IID__clsDirhoardEx, typeInfo_.Put());
}

STDMETHODIMP clsDirhoardEx::GetTypeInfoCount(UINT *count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP clsDirhoardEx::GetTypeInfo(UINT index, LCID, ITypeInfo **info) {
    return ComBarrier([&]() -> HRESULT {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        HRESULT hr = LoadTypeInfo();
        if (FAILED(hr)) return hr;
        typeInfo_->AddRef();
        *info = typeInfo_.Get();
        return S_OK;
    });
}

STDMETHODIMP clsDirhoardEx::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids) {
    return ComBarrier([&]() -> HRESULT {
        HRESULT hr = LoadTypeInfo();
        if (FAILED(hr)) return hr;
        return DispGetIDsOfNames(typeInfo_.Get(), names, count, ids);
    });
}

STDMETHODIMP clsDirhoardEx::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                                   EXCEPINFO *excep, UINT *argErr) {
    return ComBarrier([&]() -> HRESULT {
        HRESULT hr = LoadTypeInfo();
        if (FAILED(hr)) return hr;
        return DispInvoke(static_cast<_clsDirhoardEx *>(this), typeInfo_.Get(), id, flags, params, result, excep,
                          argErr);
    });
}

// Each step that fails ends the call with its result; steps already done stay done.
STDMETHODIMP clsDirhoardEx::Initialize(Wrapper *wrapper) {
    return ComBarrier([&]() -> HRESULT {
        if (!wrapper) return E_POINTER;
        HostWrapper = ComPtr<Wrapper>(wrapper);

        Bstr description(PluginDescription);
        HRESULT hr = HostWrapper->SetDescription(description.Get());
        if (FAILED(hr)) return hr;

        LONG window = 0;
        hr = HostWrapper->GetWinampWindow(&window);
        if (FAILED(hr)) return hr;
        // Window handles carry 32 significant bits, sign-extended on 64-bit Windows.
        modGlobalDefinitions::hWndWinamp = reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));

        // Without the hook the hotkey would reach nobody. The hotkey works from here on; the
        // window that changes it is built when first shown.
        if (!modWinampWindowProc::HookWinampWindow()) return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
        ConfigWindow().StartHotKey();
        return S_OK;
    });
}

frmDirhoardEx &clsDirhoardEx::ConfigWindow() {
    if (!configWindow_) configWindow_ = std::make_unique<frmDirhoardEx>();
    return *configWindow_;
}

STDMETHODIMP clsDirhoardEx::Configure() {
    return ComBarrier([&]() -> HRESULT {
        // The loop dispatches the player's messages; one of them may make the host quit and
        // release us. We, and the window the loop reads, stay until the loop is over.
        ComPtr<_clsDirhoardEx> self(this);
        ConfigWindow().ShowModal();
        return S_OK;
    });
}

STDMETHODIMP clsDirhoardEx::Quit() {
    return ComBarrier([&]() -> HRESULT {
        // The host may delete the settings next (uninstall): the browser stores them now, and
        // nothing of ours writes them afterwards.
        modDirhoardEx::CloseFolderBrowser();
        ConfigWindow().Shutdown();
        return S_OK;
    });
}
