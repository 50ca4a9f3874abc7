#pragma once
// Under qemu-i386 (wine-run says so in DIRHOARD_EMULATED) some things of real hardware do not
// hold: a test that needs one says which at the test, and is skipped there only.
#include <windows.h>

namespace test {
inline bool Emulated() { return GetEnvironmentVariableW(L"DIRHOARD_EMULATED", nullptr, 0) > 0; }
}
