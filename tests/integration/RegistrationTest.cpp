// regsvr32 and creation by ProgID, as an installer and the host use the DLL.
#include <gtest/gtest.h>

#include "win32/ComPtr.h"
#include "DirhoardEx_h.h"
#include "Registry.h"
#include "Server.h"

namespace {
constexpr wchar_t kProgId[] = L"DirhoardEx.clsDirhoardEx";

std::wstring ClsidKey() {
    wchar_t text[40];
    StringFromGUID2(CLSID_clsDirhoardEx, text, 40);
    return std::wstring(L"CLSID\\") + text;
}

std::wstring TypeLibKey() {
    wchar_t text[40];
    StringFromGUID2(LIBID_DirhoardEx, text, 40);
    return std::wstring(L"TypeLib\\") + text;
}

std::wstring ReadDefault(const std::wstring &key, const wchar_t *name = nullptr) {
    return test::ReadText(HKEY_CLASSES_ROOT, key, name);
}

HRESULT CreateByProgId(ComPtr<IKobWinAmpGenPlugin> &plugin) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IKobWinAmpGenPlugin, plugin.PutVoid());
}

class Registration : public testing::Test {
protected:
    void SetUp() override { test::EnsureRegistered(); }
};
}

TEST_F(Registration, WritesClassProgIdAndTypeLibrary) {
    EXPECT_EQ(ReadDefault(ClsidKey() + L"\\InprocServer32"), test::BesideThisProgram(L"DirhoardEx.dll"));
    EXPECT_EQ(ReadDefault(ClsidKey() + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(ReadDefault(ClsidKey() + L"\\ProgID"), kProgId);
    wchar_t clsid[40];
    StringFromGUID2(CLSID_clsDirhoardEx, clsid, 40);
    EXPECT_EQ(ReadDefault(std::wstring(kProgId) + L"\\CLSID"), clsid);
    EXPECT_TRUE(test::KeyExists(HKEY_CLASSES_ROOT, TypeLibKey() + L"\\1.0"));
}

TEST_F(Registration, TypeLibraryDescribesTheDefaultInterface) {
    ComPtr<IDispatch> dispatch;
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(kProgId, &clsid));
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.PutVoid()));
    ComPtr<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(dispatch->GetTypeInfo(0, 0, info.Put()));
    TYPEATTR *attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID__clsDirhoardEx));
    EXPECT_EQ(attr->cFuncs, 7);  // IUnknown and IDispatch only: no members of its own
    info->ReleaseTypeAttr(attr);
}

TEST_F(Registration, ServerUnloadsOnlyWhenNothingIsAlive) {
    ComPtr<IKobWinAmpGenPlugin> plugin;
    ASSERT_HRESULT_SUCCEEDED(CreateByProgId(plugin));
    HMODULE dll = GetModuleHandleW(L"DirhoardEx.dll");
    ASSERT_NE(dll, nullptr);
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(GetProcAddress(dll, "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    plugin.Reset();
    EXPECT_EQ(canUnload(), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(
        CoGetClassObject(CLSID_clsDirhoardEx, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.PutVoid()));
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_HRESULT_SUCCEEDED(
        CoGetClassObject(CLSID_clsDirhoardEx, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.PutVoid()));
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(Registration, UnregisterRemovesEverythingItWrote) {
    ASSERT_EQ(test::RunRegsvr32(true), 0u);
    EXPECT_FALSE(test::KeyExists(HKEY_CLASSES_ROOT, ClsidKey()));
    EXPECT_FALSE(test::KeyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(test::KeyExists(HKEY_CLASSES_ROOT, TypeLibKey()));
    ComPtr<IKobWinAmpGenPlugin> plugin;
    EXPECT_HRESULT_FAILED(CreateByProgId(plugin));
    test::EnsureRegistered();  // leave the prefix as the other tests expect it
}
