#pragma once
#include <windows.h>

// DllGetClassObject's work: the factory of clsDirhoardEx, or CLASS_E_CLASSNOTAVAILABLE.
HRESULT GetDirhoardClassObject(REFCLSID clsid, REFIID iid, void **out);
