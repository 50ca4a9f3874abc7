// The tests run on a single-threaded apartment, as the plugin does inside the player.
#include <windows.h>
#include <ole2.h>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
// A fault nobody handles ends the test with its own word and a failing status: after Wine's
// debugger has printed its backtrace the process may otherwise end with status 0.
LONG WINAPI Unhandled(EXCEPTION_POINTERS *pointers) {
    const EXCEPTION_RECORD &record = *pointers->ExceptionRecord;
    std::fprintf(stderr, "\n[  CRASHED ] exception 0x%08lX at %p in thread %lu\n", record.ExceptionCode,
                 record.ExceptionAddress, GetCurrentThreadId());
    std::fflush(stderr);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
}

int main(int argc, char **argv) {
    SetUnhandledExceptionFilter(Unhandled);
    testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    const int rc = RUN_ALL_TESTS();
    OleUninitialize();
    return rc;
}
