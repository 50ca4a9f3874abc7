#include "win32/Accessible.h"

#include "win32/ComPtr.h"

namespace Accessible {
namespace {
// From the platform's documentation, so that no import of oleacc.dll is needed: the class
// lives there and is made through COM.
constexpr CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID kName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
// UI Automation's LiveSetting property, which Windows 10 reads from an annotated window.
constexpr MSAAPROPID kLiveSetting = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED

IAccPropServices *given = nullptr;

ComPtr<IAccPropServices> Services() {
    if (given) return ComPtr<IAccPropServices>(given);
    ComPtr<IAccPropServices> services;
    CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices, services.PutVoid());
    return services;
}
}

HRESULT SetName(HWND control, const wchar_t *name) {
    const ComPtr<IAccPropServices> services = Services();
    if (!services) return E_NOINTERFACE;
    return services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kName, name);
}

HRESULT MakePoliteLiveRegion(HWND control) {
    const ComPtr<IAccPropServices> services = Services();
    if (!services) return E_NOINTERFACE;
    VARIANT polite;
    VariantInit(&polite);
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    return services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSetting, polite);
}

void LiveRegionChanged(HWND control) { NotifyWinEvent(kLiveRegionChanged, control, OBJID_CLIENT, CHILDID_SELF); }

void Forget(HWND control) {
    const ComPtr<IAccPropServices> services = Services();
    if (!services) return;
    MSAAPROPID props[] = {kName, kLiveSetting};
    services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 2);
}

void UseServices(IAccPropServices *services) { given = services; }
}
