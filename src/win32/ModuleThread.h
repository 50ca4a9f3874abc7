#pragma once
// A thread of ours that holds what it runs in: the module stays loaded, and counts as in use
// (DllCanUnloadNow says no), until the thread has ended, however long whoever started it waits.
#include <functional>
#include "win32/Handles.h"

namespace ModuleThread {
// Runs `work` on a new thread, behind a barrier; what `work` holds is released on that thread
// before the module is. Null when the thread could not start; `work` then never runs.
KernelHandle Start(std::function<void()> work);
}
