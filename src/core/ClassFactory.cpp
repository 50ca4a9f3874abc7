#include "core/ClassFactory.h"

#include "win32/Barrier.h"
#include "win32/InterfaceTable.h"
#include "win32/Module.h"
#include "core/clsDirhoardEx.h"

namespace {
// Lives as long as the module; its references only count as server locks.
class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override { Module::AddRef(); return 2; }
    STDMETHODIMP_(ULONG) Release() override { Module::Release(); return 1; }

    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID iid, void **out) override {
        return ComBarrier([&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (outer) return CLASS_E_NOAGGREGATION;
            return clsDirhoardEx::Create(iid, out);
        });
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) Module::AddRef(); else Module::Release();
        return S_OK;
    }
};

// Made as the module loads, as the tables of its interfaces are.
const InterfaceEntry interfaces[] = {EntryOf<ClassFactory, IClassFactory>(IID_IClassFactory)};
STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void **out) { return QueryTable(this, interfaces, iid, out); }

ClassFactory factory;
}

HRESULT GetDirhoardClassObject(REFCLSID clsid, REFIID iid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_clsDirhoardEx) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}
