// Wall time of the real vantrel.dll under Wine with the stand-in CH341DLL.DLL, waits
// included, against the floor the waits set, for both ways of waiting side by side:
// the timer path (vantrel.dll, which makes its waits with a high-resolution waitable
// timer) and the Sleep path (vantrel_sleep.dll, the same code with no timer, as on
// Windows before 10 version 1803). The two are timed in turns, run by run, so that
// the shared machine's noise falls on both alike.
//
//   a 1, 2 and 10 ms wait alone: Sleep(n), and this program's own timer set to n ms
//   Init (start-up sequence, 20 ms of waits)        against 20 ms
//   a 20x4 refresh (4 x SetPosition + Write of 20)  against 8 ms
//   a Write of 255 characters (no waits)            against a bare loop of 255
//                                                   data writes to the same bridge
//
//     wine_timing.exe [INITS REFRESHES WRITES]      defaults 50 100 1000
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "bridge_stub.h"

#define VANTREL_CALL __attribute__((stdcall))

namespace {

using InitFn = const char*(VANTREL_CALL*)(uint32_t, uint32_t, const char*, uint8_t*);
using SetPositionFn = void(VANTREL_CALL*)(uint32_t, uint32_t);
using WriteFn = void(VANTREL_CALL*)(const char*);
using VoidFn = void(VANTREL_CALL*)();
using MemWriteFn = int32_t(VANTREL_CALL*)(uint32_t, void*, uint32_t*);
using CreateTimerFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);

LARGE_INTEGER Frequency;

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(Frequency.QuadPart);
}

struct Stats {
    double min, median, max;
};

Stats Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {samples.front(), median, samples.back()};
}

template <class Call>
double TimeOnce(Call& call) {
    BridgeStubReset();  // keeps the stand-in's log short; not timed
    const double start = NowMs();
    call();
    return NowMs() - start;
}

template <class Call>
std::vector<double> Time(int repeats, Call call) {
    std::vector<double> samples;
    for (int i = 0; i < repeats; ++i) samples.push_back(TimeOnce(call));
    return samples;
}

// Both paths, in turns.
struct Pair {
    std::vector<double> sleep, timer;
};

template <class SleepCall, class TimerCall>
Pair TimeBoth(int repeats, SleepCall sleepCall, TimerCall timerCall) {
    Pair pair;
    for (int i = 0; i < repeats; ++i) {
        pair.sleep.push_back(TimeOnce(sleepCall));
        pair.timer.push_back(TimeOnce(timerCall));
    }
    return pair;
}

void PairRow(const char* what, double floorMs, int repeats, const Pair& pair) {
    const Stats s = Summarise(pair.sleep), t = Summarise(pair.timer);
    printf("| %-24s | %5.0f ms | %4d | %7.3f | %7.3f | %7.3f | %5.3f / %5.3f / %5.3f "
           "| %7.3f | %7.3f | %7.3f | %5.3f / %5.3f / %5.3f |\n",
           what, floorMs, repeats, s.min, s.median, s.max, s.min / floorMs, s.median / floorMs,
           s.max / floorMs, t.min, t.median, t.max, t.min / floorMs, t.median / floorMs,
           t.max / floorMs);
}

void WriteRow(const char* what, int repeats, const std::vector<double>& samples, double floorMs) {
    const Stats s = Summarise(samples);
    printf("| %-34s | %5d | %8.1f | %8.1f | %8.1f | %8.1f | %5.3f / %5.3f / %5.3f |\n", what, repeats,
           s.min * 1000, s.median * 1000, s.max * 1000, floorMs * 1000, s.min / floorMs,
           s.median / floorMs, s.max / floorMs);
}

struct Driver {
    InitFn init = nullptr;
    SetPositionFn setPosition = nullptr;
    WriteFn write = nullptr;
    VoidFn done = nullptr;
};

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool Load(const char* file, Driver* driver) {
    const HMODULE dll = LoadLibraryA(file);
    if (dll == nullptr) return false;
    driver->init = Entry<InitFn>(dll, "DISPLAYDLL_Init");
    driver->setPosition = Entry<SetPositionFn>(dll, "DISPLAYDLL_SetPosition");
    driver->write = Entry<WriteFn>(dll, "DISPLAYDLL_Write");
    driver->done = Entry<VoidFn>(dll, "DISPLAYDLL_Done");
    return driver->init && driver->setPosition && driver->write && driver->done;
}

// What Wine runs on, as cmake/wine-run.sh tells its programs.
const char* WineWay() {
    static char way[32];
    const DWORD n = GetEnvironmentVariableA("VANTREL_WINE_WAY", way, sizeof way);
    if (n == 0 || n >= sizeof way) return "not told (run through cmake/wine-run.sh)";
    if (strcmp(way, "qemu") == 0) return "Wine on qemu-user";
    if (strcmp(way, "plain") == 0) return "plain Wine";
    return way;
}

}  // namespace

int main(int argc, char** argv) {
    const int inits = argc > 1 ? atoi(argv[1]) : 50;
    const int refreshes = argc > 2 ? atoi(argv[2]) : 100;
    const int writes = argc > 3 ? atoi(argv[3]) : 1000;
    if (inits < 1 || refreshes < 1 || writes < 1) {
        fprintf(stderr, "usage: wine_timing.exe [INITS REFRESHES WRITES]\n");
        return 2;
    }
    QueryPerformanceFrequency(&Frequency);

    Driver timerDll, sleepDll;
    if (!Load("vantrel.dll", &timerDll) || !Load("vantrel_sleep.dll", &sleepDll)) {
        fprintf(stderr, "wine_timing: cannot load vantrel.dll / vantrel_sleep.dll from the program's folder\n");
        return 1;
    }
    const HMODULE bridge = GetModuleHandleA("CH341DLL.DLL");
    const auto writeData = bridge ? Entry<MemWriteFn>(bridge, "CH341MemWriteAddr1") : nullptr;
    // This program's own timer, made as the DLL makes its own.
    const auto createTimer = Entry<CreateTimerFn>(GetModuleHandleA("KERNEL32.DLL"), "CreateWaitableTimerExW");
    const HANDLE timer = createTimer ? createTimer(nullptr, nullptr, 0x2, TIMER_MODIFY_STATE | SYNCHRONIZE)
                                     : nullptr;
    if (writeData == nullptr || timer == nullptr) {
        fprintf(stderr, "wine_timing: no CH341DLL.DLL or no high-resolution timer\n");
        return 1;
    }

    static char rows[4][21];
    static char text255[256];
    for (int r = 0; r < 4; ++r) {
        for (int i = 0; i < 20; ++i) rows[r][i] = static_cast<char>('A' + (r * 20 + i) % 26);
    }
    for (int i = 0; i < 255; ++i) text255[i] = static_cast<char>('a' + i % 26);

    uint8_t ok = 0;
    // The first Init of each creates or opens the shared block and makes the first
    // wait (the timer); the timed ones repeat the start-up.
    timerDll.init(20, 4, "0", &ok);
    const uint8_t timerOk = ok;
    sleepDll.init(20, 4, "0", &ok);
    if (ok != 1 || timerOk != 1) {
        fprintf(stderr, "wine_timing: Init failed\n");
        return 1;
    }

    printf("Wall time under %s (QueryPerformanceCounter, %lld ticks/s); times in ms;\n"
           "ratios are min / median / max against the floor\n\n",
           WineWay(), static_cast<long long>(Frequency.QuadPart));
    printf("| %-24s | %8s | %4s | %7s | %7s | %7s | %-21s | %7s | %7s | %7s | %-21s |\n", "measured",
           "floor", "runs", "Sleep", "median", "max", "Sleep x floor", "timer", "median", "max",
           "timer x floor");
    printf("|--------------------------|----------|------|---------|---------|---------|-----------------------"
           "|---------|---------|---------|-----------------------|\n");

    for (const uint32_t ms : {1u, 2u, 10u}) {
        char label[40];
        snprintf(label, sizeof label, "%u ms wait alone", ms);
        const auto timed = [=] {
            LARGE_INTEGER due;
            due.QuadPart = -static_cast<LONGLONG>(ms) * 10000;
            SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
            WaitForSingleObject(timer, INFINITE);
        };
        PairRow(label, ms, 100, TimeBoth(100, [=] { Sleep(ms); }, timed));
    }
    const Pair initSamples = TimeBoth(
        inits, [&] { sleepDll.init(20, 4, "0", &ok); }, [&] { timerDll.init(20, 4, "0", &ok); });
    PairRow("Init (9 instructions)", 20, inits, initSamples);
    const auto refresh = [&](const Driver& driver) {
        for (int r = 0; r < 4; ++r) {
            driver.setPosition(1, r + 1);
            driver.write(rows[r]);
        }
    };
    const Pair refreshSamples =
        TimeBoth(refreshes, [&] { refresh(sleepDll); }, [&] { refresh(timerDll); });
    PairRow("20x4 refresh (84 calls)", 8, refreshes, refreshSamples);

    printf("\nNo waits (vantrel.dll), times in us:\n\n");
    printf("| %-34s | %5s | %8s | %8s | %8s | %8s | %-21s |\n", "measured", "runs", "min", "median",
           "max", "floor", "x floor");
    printf("|------------------------------------|-------|----------|----------|----------|----------|"
           "-----------------------|\n");
    const auto bareSamples = Time(writes, [&] {
        uint32_t length = 1;
        for (int i = 0; i < 255; ++i) {
            uint8_t cell = static_cast<uint8_t>(text255[i]);
            writeData(0, &cell, &length);
        }
    });
    const double bareMedian = Summarise(bareSamples).median;
    WriteRow("bare loop: 255 data writes", writes, bareSamples, bareMedian);
    timerDll.setPosition(1, 1);
    WriteRow("Write of 255 characters", writes, Time(writes, [&] { timerDll.write(text255); }),
             bareMedian);
    timerDll.done();
    sleepDll.done();

    const double initRatio = Summarise(initSamples.timer).median / 20;
    const double refreshRatio = Summarise(refreshSamples.timer).median / 8;
    printf("\nTarget: timer path's Init within 1.25 x 20 ms at the median: %.3f x -> %s\n", initRatio,
           initRatio <= 1.25 ? "met" : "MISSED");
    printf("Target: timer path's refresh within 1.5 x 8 ms at the median: %.3f x -> %s\n",
           refreshRatio, refreshRatio <= 1.5 ? "met" : "MISSED");
    printf("(Write's floor is the median of the bare loop; its ratios are against that.)\n");
    return 0;
}
