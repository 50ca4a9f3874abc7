#pragma once
#include <windows.h>

// Self-registration of the COM server in the DLL at modulePath: class, ProgID, type library.
HRESULT RegisterServer(const wchar_t *modulePath);
// Removes exactly what RegisterServer wrote.
HRESULT UnregisterServer();

inline constexpr wchar_t ProgId[] = L"DirhoardEx.clsDirhoardEx";
