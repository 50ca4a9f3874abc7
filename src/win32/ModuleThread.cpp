#include "win32/ModuleThread.h"

#include <memory>
#include <new>
#include "win32/Barrier.h"
#include "win32/Module.h"

namespace ModuleThread {
namespace {
struct Job {
    std::function<void()> work;
    HMODULE self;
};

DWORD WINAPI Run(void *parameter) {
    HMODULE self;
    {
        std::unique_ptr<Job> job(static_cast<Job *>(parameter));
        self = job->self;
        CallbackBarrier(0, [&] {
            job->work();
            return 0;
        });
    }
    Module::Release();
    FreeLibraryAndExitThread(self, 0);
}
}

KernelHandle Start(std::function<void()> work) {
    // A reference of the thread's own: its code must outlive whoever unloads the module.
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Run), &self))
        return KernelHandle();
    std::unique_ptr<Job> job(new (std::nothrow) Job{std::move(work), self});
    if (!job) {
        FreeLibrary(self);
        return KernelHandle();
    }
    Module::AddRef();
    KernelHandle thread(CreateThread(nullptr, 0, Run, job.get(), 0, nullptr));
    if (!thread) {
        Module::Release();
        FreeLibrary(self);
        return thread;
    }
    job.release();
    return thread;
}
}
