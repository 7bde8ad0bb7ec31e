// What each entry costs beyond the bridge and the waits: the bridge calls and the
// waits are counting no-ops (noop_bridge.cpp, bench_support.cpp), so the time left
// is the library's own. Every case runs next to its floor (bench_support.h); the
// entry's benchmark reports its time per call, the floor's, their ratio and the
// heap allocations per call as counters. Before the timings, every exported entry
// is called under the counting allocator, and any allocation is reported.
#include <benchmark/benchmark.h>

#include <stdio.h>

#include <time.h>

#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "counting_alloc.h"
#include "driver_state.h"
#include "entries.h"
#include "platform/platform.h"

namespace {

// The ratios use this thread's CPU time: on a shared machine, time spent preempted
// would otherwise land on whichever of the pair it happened to hit.
struct Clock {
    using time_point = double;
    static double now() {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
    }
};

struct Result {
    double entryNs = 0;
    double floorNs = 0;
    double allocsPerCall = 0;
};
std::map<std::string, Result> Results;
std::vector<std::string> HeapFindings;

double NsPerCall(double start, double end, int64_t calls) {
    return calls == 0 ? 0.0 : (end - start) / static_cast<double>(calls);
}

void FloorBenchmark(benchmark::State& state, const BenchCase* c) {
    c->prepare();
    const uint64_t bridgeBefore = BridgeCallCount;
    const double start = Clock::now();
    for (auto _ : state) {
        c->floor();
        benchmark::ClobberMemory();
    }
    const double end = Clock::now();
    Results[c->name].floorNs = NsPerCall(start, end, state.iterations());
    state.counters["bridge_calls"] = benchmark::Counter(
        static_cast<double>(BridgeCallCount - bridgeBefore), benchmark::Counter::kAvgIterations);
}

void EntryBenchmark(benchmark::State& state, const BenchCase* c) {
    c->prepare();
    const uint64_t bridgeBefore = BridgeCallCount;
    const uint64_t waitMsBefore = WaitMilliseconds;
    const uint64_t heapBefore = HeapAllocationCount();
    const double start = Clock::now();
    for (auto _ : state) {
        c->run();
        benchmark::ClobberMemory();
    }
    const double end = Clock::now();
    const uint64_t allocations = HeapAllocationCount() - heapBefore;
    const double iterations = static_cast<double>(state.iterations());
    Result& result = Results[c->name];
    result.entryNs = NsPerCall(start, end, state.iterations());
    result.allocsPerCall = iterations > 0 ? static_cast<double>(allocations) / iterations : 0;
    state.counters["floor_ns"] = result.floorNs;
    state.counters["ratio"] = result.floorNs > 0 ? result.entryNs / result.floorNs : 0;
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
    state.counters["bridge_calls"] = benchmark::Counter(
        static_cast<double>(BridgeCallCount - bridgeBefore), benchmark::Counter::kAvgIterations);
    state.counters["wait_ms"] = benchmark::Counter(
        static_cast<double>(WaitMilliseconds - waitMsBefore), benchmark::Counter::kAvgIterations);
}

// ---- Heap check of every entry ---------------------------------------------------

constexpr int kRepeats = 100;

template <class Call>
void HeapRow(const char* entry, const char* situation, Call call, bool repeat = true) {
    uint64_t before = HeapAllocationCount();
    call();
    const uint64_t first = HeapAllocationCount() - before;
    uint64_t next = 0;
    if (repeat) {
        before = HeapAllocationCount();
        for (int i = 0; i < kRepeats; ++i) call();
        next = HeapAllocationCount() - before;
    }
    printf("| %-28s | %-44s | %5llu | %s |\n", entry, situation,
           static_cast<unsigned long long>(first),
           repeat ? std::to_string(next).c_str() : "-");
    if (first != 0 || next != 0) {
        HeapFindings.push_back(std::string(entry) + " (" + situation + "): " +
                               std::to_string(first) + " on the first call, " +
                               std::to_string(next) + " over the next " +
                               std::to_string(kRepeats));
    }
}

void CheckEveryEntry() {
    static char buffers[4][256];
    static char* table[101] = {buffers[0], buffers[1], buffers[2], buffers[3]};
    static const uint8_t pattern[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    static uint8_t record[256];
    uint8_t ok = 0;
    printf("Heap allocations per entry (first call; then %d more calls)\n\n", kRepeats);
    printf("| %-28s | %-44s | %5s | %s |\n", "entry", "situation", "first", "next");
    printf("|%s|%s|%s|%s|\n", std::string(30, '-').c_str(), std::string(46, '-').c_str(),
           std::string(7, '-').c_str(), std::string(6, '-').c_str());

    BenchDetach();
    HeapRow("CalculateEx", "fresh library, no block (fallback)", [] { CalculateEx(table); });
    HeapRow("DISPLAYDLL_Init", "fresh library: creates and maps the block",
            [&] { DISPLAYDLL_Init(20, 4, "0", &ok); }, false);
    HeapRow("DISPLAYDLL_Init", "again, block held", [&] { DISPLAYDLL_Init(20, 4, "0", &ok); });
    HeapRow("DISPLAYDLL_DriverName", "", [] { DISPLAYDLL_DriverName(); });
    HeapRow("DISPLAYDLL_Usage", "", [] { DISPLAYDLL_Usage(); });
    HeapRow("DISPLAYDLL_DefaultParameters", "", [] { DISPLAYDLL_DefaultParameters(); });
    HeapRow("DISPLAYDLL_SetPosition", "(1, 2)", [] { DISPLAYDLL_SetPosition(1, 2); });
    {
        static const std::string text(255, 'x');
        HeapRow("DISPLAYDLL_Write", "255 characters", [] { DISPLAYDLL_Write(text.c_str()); });
    }
    HeapRow("DISPLAYDLL_CustomChar", "pattern 1", [] { DISPLAYDLL_CustomChar(1, pattern); });
    HeapRow("DISPLAYDLL_ReadKey", "", [] { DISPLAYDLL_ReadKey(); });
    HeapRow("DISPLAYDLL_SetBacklight", "", [] { DISPLAYDLL_SetBacklight(1); });
    HeapRow("DISPLAYDLL_SetContrast", "", [] { DISPLAYDLL_SetContrast(1); });
    HeapRow("DISPLAYDLL_SetBrightness", "", [] { DISPLAYDLL_SetBrightness(1); });
    HeapRow("DISPLAYDLL_SetGPO", "", [] { DISPLAYDLL_SetGPO(1, 1); });
    HeapRow("DISPLAYDLL_SetFan", "", [] { DISPLAYDLL_SetFan(1, 1); });
    HeapRow("NumOutputs", "", [] { NumOutputs(); });
    HeapRow("OutputName", "index 0 and 255",
            [] { OutputName(0, record); OutputName(255, record); });
    HeapRow("CalculateEx", "writer's view (after Init)", [] { CalculateEx(table); });
    HeapRow("DISPLAYDLL_Done", "", [] { DISPLAYDLL_Done(); });
    // A reader: the block exists, the library holds no view yet.
    PlatformReleaseSharedBlock(Driver.LineBlockHandle, Driver.LineBlockView);
    Driver = DriverState{};
    HeapRow("CalculateEx", "reader, first call: fallback and attach",
            [] { CalculateEx(table); }, false);
    HeapRow("CalculateEx", "reader's read-only view", [] { CalculateEx(table); });
    BenchDetach();
    printf("\n");
}

void PrintSummary() {
    printf("\nSummary (CPU time per call of the final run of each benchmark)\n\n");
    printf("| %-22s | %10s | %10s | %6s | %12s |\n", "case", "entry ns", "floor ns", "ratio",
           "allocs/call");
    printf("|------------------------|------------|------------|--------|--------------|\n");
    for (uint32_t i = 0; i < kBenchCaseCount; ++i) {
        const BenchCase& c = kBenchCases[i];
        const auto found = Results.find(c.name);
        if (found == Results.end() || found->second.entryNs == 0) continue;
        const Result& r = found->second;
        printf("| %-22s | %10.1f | %10.1f | %6.2f | %12.3g |\n", c.name, r.entryNs, r.floorNs,
               r.floorNs > 0 ? r.entryNs / r.floorNs : 0.0, r.allocsPerCall);
        if (r.allocsPerCall != 0) {
            HeapFindings.push_back(std::string(c.name) + ": " + std::to_string(r.allocsPerCall) +
                                   " allocations per call in the timed loop");
        }
    }
    // The benchmark library itself allocates: a zero here would mean the counter is blind.
    printf("\nHeap allocations counted in this process in all: %llu\n",
           static_cast<unsigned long long>(HeapAllocationCount()));
    if (HeapFindings.empty()) {
        printf("HEAP: no entry allocated on its success path.\n");
    } else {
        for (const std::string& finding : HeapFindings) printf("HEAP: ALLOCATES: %s\n", finding.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    BenchSetUp();
    CheckEveryEntry();
    for (uint32_t i = 0; i < kBenchCaseCount; ++i) {
        const BenchCase* c = &kBenchCases[i];
        benchmark::RegisterBenchmark((std::string(c->name) + "/floor").c_str(), FloorBenchmark, c);
        benchmark::RegisterBenchmark((std::string(c->name) + "/entry").c_str(), EntryBenchmark, c);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
