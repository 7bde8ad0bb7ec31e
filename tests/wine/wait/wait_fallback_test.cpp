// The controller waits where Windows has no high-resolution timer: the platform
// layer's wait (wait_win32.cpp) linked with a timer maker that never makes one, so
// every wait is made with Sleep. Sleep is reached through this program's own import
// cell, so that a test can make it end early, as Sleep may when asked for less than
// a tick of the system timer.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

#include "../open_handles.h"
#include "no_wait_timer.h"
#include "platform/platform.h"

namespace {

using SleepFn = void(WINAPI*)(DWORD);

SleepFn KernelSleep() {
    static const SleepFn sleep = reinterpret_cast<SleepFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "Sleep")));
    return sleep;
}

// What the fake Sleep does: pass on (0), return at once for the next `EarlyCalls`
// calls, or sleep half of what was asked (ShortenByHalf).
int EarlyCalls = 0;
bool ShortenByHalf = false;
std::vector<DWORD> SleepCalls;

void WINAPI FakeSleep(DWORD ms) {
    SleepCalls.push_back(ms);
    if (EarlyCalls > 0) {
        --EarlyCalls;
        return;
    }
    KernelSleep()(ShortenByHalf ? ms / 2 : ms);
}

}  // namespace

// The import cell of KERNEL32's Sleep for the whole program: every call of Sleep
// made through the Windows headers' declaration goes through it.
extern "C" SleepFn SleepImportCell __asm__("__imp__Sleep@4");
SleepFn SleepImportCell = FakeSleep;

namespace {

int64_t Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t Frequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

// Runs PlatformSleep(ms) and returns how long it took, in counter ticks.
int64_t TimedWait(uint32_t ms) {
    const int64_t start = Counter();
    PlatformSleep(ms);
    return Counter() - start;
}

// At least `ms` by the counter, with no slack below.
testing::AssertionResult LastsAtLeast(int64_t ticks, uint32_t ms) {
    if (ticks * 1000 >= static_cast<int64_t>(ms) * Frequency()) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "a wait of " << ms << " ms lasted " << ticks * 1000.0 / Frequency() << " ms";
}

class WaitFallback : public testing::Test {
protected:
    void SetUp() override {
        EarlyCalls = 0;
        ShortenByHalf = false;
        SleepCalls.clear();
    }
    void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(WaitFallback, EveryWaitLastsAtLeastItsMillisecondsAndUsesSleep) {
    const struct {
        uint32_t ms;
        int repeats;
    } cases[] = {{1, 100}, {2, 50}, {10, 10}};
    for (const auto& c : cases) {
        for (int i = 0; i < c.repeats; ++i) {
            SleepCalls.clear();
            ASSERT_TRUE(LastsAtLeast(TimedWait(c.ms), c.ms)) << "wait " << i;
            ASSERT_FALSE(SleepCalls.empty()) << "no timer: the wait is made with Sleep";
            EXPECT_EQ(SleepCalls[0], c.ms);
        }
    }
    EXPECT_EQ(NoWaitTimerRequests(), 1) << "the timer is asked for on the first wait only";
}

TEST_F(WaitFallback, ASleepThatReturnsAtOnceIsRepeated) {
    EarlyCalls = 3;
    EXPECT_TRUE(LastsAtLeast(TimedWait(5), 5));
    ASSERT_GE(SleepCalls.size(), 4u) << "three early returns, then a whole one";
    for (const DWORD ms : SleepCalls) EXPECT_EQ(ms, 5u) << "nothing of the wait had passed";
}

TEST_F(WaitFallback, AShortSleepIsContinuedForWhatIsLeft) {
    ShortenByHalf = true;  // 10 ms asked, 5 slept; then about 5 left, 2 slept; ...
    EXPECT_TRUE(LastsAtLeast(TimedWait(10), 10));
    ASSERT_GE(SleepCalls.size(), 2u);
    EXPECT_EQ(SleepCalls[0], 10u);
    EXPECT_GE(SleepCalls[1], 1u);
    EXPECT_LE(SleepCalls[1], 6u) << "the rest of the wait, rounded up, not the whole again";
}

TEST_F(WaitFallback, AWaitOfNothingEndsAtOnce) {
    PlatformSleep(0);
    EXPECT_TRUE(SleepCalls.empty());
}

TEST_F(WaitFallback, HandleCountStaysFlatOverAThousandWaits) {
    PlatformSleep(1);
    const int before = OpenHandles();
    for (int i = 0; i < 1000; ++i) PlatformSleep(1);
    EXPECT_EQ(OpenHandles(), before);
    EXPECT_EQ(NoWaitTimerRequests(), 1);
}
