#include "ResourceSnapshot.h"

#include <psapi.h>
#include <winternl.h>

// Wine 8 answers GetGuiResources, GetProcessHandleCount and PrivateUsage with 0. Each figure
// then comes from the next best source, which also exists on Windows but is only used there
// when the documented call says nothing.
namespace test {
namespace {
// One row of the GDI handle table the platform maps into every 64-bit process (Wine's too).
struct GdiTableEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 user;
};
static_assert(sizeof(GdiTableEntry) == 24);
constexpr int kGdiTableRows = 0x10000;

// The 64-bit layout only; a 32-bit process goes without the figure.
long CountGdiTable() {
#ifndef _WIN64
    return 0;
#else
    constexpr size_t kTableOffset = 0xF8;
    PROCESS_BASIC_INFORMATION process{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof process, nullptr))
        return 0;
    const auto *peb = reinterpret_cast<const BYTE *>(process.PebBaseAddress);
    const auto *table = *reinterpret_cast<GdiTableEntry *const *>(peb + kTableOffset);
    if (!table) return 0;
    const USHORT pid = static_cast<USHORT>(GetCurrentProcessId());
    long n = 0;
    for (int i = 0; i < kGdiTableRows; ++i)
        n += table[i].type != 0 && (table[i].owner == 0 || LOWORD(table[i].owner) == pid);
    return n;
#endif
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<long *>(count);
    return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long *>(count);
    EnumChildWindows(window, CountChild, count);
    return TRUE;
}

long CountWindows() {
    long n = 0;
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&n));
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        CountOwnWindow(w, reinterpret_cast<LPARAM>(&n));
    return n;
}

// Handle values are small multiples of four, handed out from the bottom of the table:
// probing stops after a long run of unused values.
long ProbeHandles() {
    long n = 0;
    int misses = 0;
    for (ULONG_PTR value = 4; misses < 256; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++n;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return n;
}

int64_t CommittedPrivateBytes() {
    int64_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const BYTE *at = nullptr; VirtualQuery(at, &region, sizeof region);) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<int64_t>(region.RegionSize);
        const BYTE *next = static_cast<const BYTE *>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}
}

ResourceSnapshot ResourceSnapshot::Take() {
    ResourceSnapshot s;
    HANDLE self = GetCurrentProcess();
    s.gdi = static_cast<long>(GetGuiResources(self, GR_GDIOBJECTS));
    if (s.gdi == 0) s.gdi = CountGdiTable();
    s.user = static_cast<long>(GetGuiResources(self, GR_USEROBJECTS));
    if (s.user == 0) s.user = CountWindows();
    DWORD handles = 0;
    if (GetProcessHandleCount(self, &handles) && handles) s.handles = static_cast<long>(handles);
    else s.handles = ProbeHandles();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory), sizeof memory) &&
        memory.PrivateUsage)
        s.privateBytes = static_cast<int64_t>(memory.PrivateUsage);
    else
        s.privateBytes = CommittedPrivateBytes();
    return s;
}
}
