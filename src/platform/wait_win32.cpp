// The controller waits on Windows. Sleep ends on the system timer's tick, 15.625 ms
// unless the process raised the timer resolution itself (and a minimized host may
// not get a raised one on Windows 11), so Sleep(1) can last 15.6 ms. A high-resolution
// waitable timer does not depend on the tick; where Windows has none, Sleep stays.
// Either way every wait is measured by the performance counter and continued for
// what is left, so none is shorter than its milliseconds: Sleep may end early when
// asked for less than a tick, and the timer's clock is not the counter's.
#include "platform.h"

#include <windows.h>

#include "wait_timer_win32.h"

namespace {

// The library's one timer, made on its first wait (never at load) and held until
// the process ends; kNoTimer once it could not be made, so it is tried only once.
HANDLE Timer = nullptr;
HANDLE const kNoTimer = INVALID_HANDLE_VALUE;

int64_t Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// value * multiplier / divisor, rounded up. Split so that no product reaches 2^63
// for waits of up to 2^32 ms and counter frequencies of up to 10 GHz.
int64_t ScaleUp(int64_t value, int64_t multiplier, int64_t divisor) {
    return value / divisor * multiplier + (value % divisor * multiplier + divisor - 1) / divisor;
}

HANDLE TheTimer() {
    HANDLE timer = __atomic_load_n(&Timer, __ATOMIC_ACQUIRE);
    if (timer != nullptr) return timer;
    HANDLE made = CreateHighResolutionWaitTimer();
    if (made == nullptr) made = kNoTimer;
    // Without a lock: should two threads make their first wait at once, one timer
    // is kept and the other closed, so there is never more than one.
    HANDLE kept = nullptr;
    if (__atomic_compare_exchange_n(&Timer, &kept, made, false, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE)) {
        return made;
    }
    if (made != kNoTimer) CloseHandle(made);
    return kept;
}

// Waits about `ticks` counter ticks (at least 1); the caller checks how long it was.
void WaitTicks(int64_t ticks, int64_t frequency) {
    const HANDLE timer = TheTimer();
    if (timer != kNoTimer) {
        LARGE_INTEGER due;
        due.QuadPart = -ScaleUp(ticks, 10000000, frequency);  // relative, in 100 ns units
        // SetWaitableTimer gives the timer no tolerable delay: with one, Windows may
        // postpone the wake-up to coalesce it with other timers.
        if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
            WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0) {
            return;
        }
    }
    Sleep(static_cast<DWORD>(ScaleUp(ticks, 1000, frequency)));
}

}  // namespace

void PlatformSleep(uint32_t ms) {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
        Sleep(ms);  // the counter always works since Windows XP; this guards the division
        return;
    }
    const int64_t start = Counter();
    const int64_t due = start + ScaleUp(ms, frequency.QuadPart, 1000);
    for (int64_t now = start; now < due; now = Counter()) WaitTicks(due - now, frequency.QuadPart);
}
