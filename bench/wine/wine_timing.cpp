// Wall time of the real vantrel.dll under Wine with the stand-in CH341DLL.DLL, waits
// included, against the floor the waits set:
//
//   Init (start-up sequence, 19 ms of waits)       against 19 ms
//   a 20x4 refresh (4 x SetPosition + Write of 20)  against 8 ms
//   a Write of 255 characters (no waits)            against a bare loop of 255
//                                                   data writes to the same bridge
//
//     wine_timing.exe [INITS REFRESHES WRITES]      defaults 50 100 1000
//
// Also measures Sleep(1), Sleep(2) and Sleep(10) alone, since the waits are Sleep
// calls and their granularity under Wine decides most of the result.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

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
std::vector<double> Time(int repeats, Call call) {
    std::vector<double> samples;
    samples.reserve(repeats);
    for (int i = 0; i < repeats; ++i) {
        BridgeStubReset();  // keeps the stand-in's log short; not timed
        const double start = NowMs();
        call();
        samples.push_back(NowMs() - start);
    }
    return samples;
}

// One table row: times in `unit` (1 = ms, 1000 = us), ratios against `floor` ms.
void Row(const char* what, int repeats, const std::vector<double>& samples, double floorMs,
         double unit, const char* unitName) {
    const Stats s = Summarise(samples);
    printf("| %-34s | %5d | %9.3f | %9.3f | %9.3f | %2s | %9.3f | %6.3f | %6.3f | %6.3f |\n", what,
           repeats, s.min * unit, s.median * unit, s.max * unit, unitName, floorMs * unit,
           s.min / floorMs, s.median / floorMs, s.max / floorMs);
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

    HMODULE dll = LoadLibraryA("vantrel.dll");
    HMODULE bridge = GetModuleHandleA("CH341DLL.DLL");
    if (dll == nullptr || bridge == nullptr) {
        fprintf(stderr, "wine_timing: cannot load vantrel.dll / CH341DLL.DLL from the program's folder\n");
        return 1;
    }
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DISPLAYDLL_Init")));
    auto setPosition = reinterpret_cast<SetPositionFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DISPLAYDLL_SetPosition")));
    auto write = reinterpret_cast<WriteFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DISPLAYDLL_Write")));
    auto done = reinterpret_cast<VoidFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DISPLAYDLL_Done")));
    auto writeData = reinterpret_cast<MemWriteFn>(
        reinterpret_cast<void*>(GetProcAddress(bridge, "CH341MemWriteAddr1")));
    if (!init || !setPosition || !write || !done || !writeData) {
        fprintf(stderr, "wine_timing: an entry is missing\n");
        return 1;
    }

    static char rows[4][21];
    static char text255[256];
    for (int r = 0; r < 4; ++r) {
        for (int i = 0; i < 20; ++i) rows[r][i] = static_cast<char>('A' + (r * 20 + i) % 26);
    }
    for (int i = 0; i < 255; ++i) text255[i] = static_cast<char>('a' + i % 26);

    uint8_t ok = 0;
    // The first Init creates the shared block; the timed ones repeat the start-up.
    init(20, 4, "0", &ok);
    if (ok != 1) {
        fprintf(stderr, "wine_timing: Init failed\n");
        return 1;
    }

    printf("Wall time under Wine (QueryPerformanceCounter, %lld ticks/s)\n\n",
           static_cast<long long>(Frequency.QuadPart));
    printf("| %-34s | %5s | %9s | %9s | %9s | %2s | %9s | %6s | %6s | %6s |\n", "measured", "runs",
           "min", "median", "max", "in", "floor", "min x", "med x", "max x");
    printf("|------------------------------------|-------|-----------|-----------|-----------|----|"
           "-----------|--------|--------|--------|\n");

    for (const uint32_t ms : {1u, 2u, 10u}) {
        char label[40];
        snprintf(label, sizeof label, "Sleep(%u) alone", ms);
        Row(label, 100, Time(100, [=] { Sleep(ms); }), ms, 1, "ms");
    }
    const auto initSamples = Time(inits, [&] { init(20, 4, "0", &ok); });
    Row("Init (9 instructions, 19 ms waits)", inits, initSamples, 19, 1, "ms");
    const auto refreshSamples = Time(refreshes, [&] {
        for (int r = 0; r < 4; ++r) {
            setPosition(1, r + 1);
            write(rows[r]);
        }
    });
    Row("20x4 refresh (84 transfers, 8 ms)", refreshes, refreshSamples, 8, 1, "ms");

    const auto bareSamples = Time(writes, [&] {
        uint32_t length = 1;
        for (int i = 0; i < 255; ++i) {
            uint8_t cell = static_cast<uint8_t>(text255[i]);
            writeData(0, &cell, &length);
        }
    });
    const double bareMedian = Summarise(bareSamples).median;
    Row("bare loop: 255 data writes", writes, bareSamples, bareMedian, 1000, "us");
    setPosition(1, 1);
    const auto writeSamples = Time(writes, [&] { write(text255); });
    Row("Write of 255 characters (no waits)", writes, writeSamples, bareMedian, 1000, "us");
    done();

    const double initRatio = Summarise(initSamples).median / 19;
    const double refreshRatio = Summarise(refreshSamples).median / 8;
    printf("\nTarget: Init within 1.15 x 19 ms at the median: %.3f x -> %s\n", initRatio,
           initRatio <= 1.15 ? "met" : "MISSED");
    printf("Target: refresh within 1.25 x 8 ms at the median: %.3f x -> %s\n", refreshRatio,
           refreshRatio <= 1.25 ? "met" : "MISSED");
    printf("(Write's floor is the median of the bare loop; its ratios are against that.)\n");
    return 0;
}
