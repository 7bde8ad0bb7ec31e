// Stands in for wait_timer_win32.cpp where a program needs the waits without the
// high-resolution timer, as on Windows before version 1803: the waits then use
// Sleep. Linked by the fallback test program and by the benchmark's Sleep-path DLL.
#include "no_wait_timer.h"

#include "platform/wait_timer_win32.h"

namespace {
long Requests = 0;
}

HANDLE CreateHighResolutionWaitTimer() {
    ++Requests;
    return nullptr;
}

long NoWaitTimerRequests() {
    return Requests;
}
