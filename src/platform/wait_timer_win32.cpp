#include "wait_timer_win32.h"

namespace {

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, a fixed value of the Windows API that not
// every SDK's headers define.
constexpr DWORD kHighResolution = 0x00000002;

using CreateWaitableTimerExWFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);

}  // namespace

HANDLE CreateHighResolutionWaitTimer() {
    // Looked up at run time, not imported: Windows XP has no CreateWaitableTimerExW,
    // and an import of it would keep the library from loading there at all.
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel == nullptr) return nullptr;
    const auto create = reinterpret_cast<CreateWaitableTimerExWFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "CreateWaitableTimerExW")));
    if (create == nullptr) return nullptr;
    // Before Windows 10 version 1803 the flag is refused with ERROR_INVALID_PARAMETER.
    return create(nullptr, nullptr, kHighResolution, TIMER_MODIFY_STATE | SYNCHRONIZE);
}
