// Runs N calls of one measured case, for instruction and system-call counts:
//
//     instr_driver CASE N      CASE as in bench_support.cpp ("write80", ...), or
//                              CASE-floor for the case's floor
//
// The bridge and the waits are the counting no-ops of the benchmark. Everything
// before and after the N calls is the same for every N, so the difference between
// runs with N and 2N calls, divided by N, is the cost of one call.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "bench_support.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: instr_driver CASE[-floor] N\ncases:");
        for (uint32_t i = 0; i < kBenchCaseCount; ++i) fprintf(stderr, " %s", kBenchCases[i].name);
        fprintf(stderr, "\n");
        return 2;
    }
    std::string name = argv[1];
    const bool floor = name.size() > 6 && name.compare(name.size() - 6, 6, "-floor") == 0;
    if (floor) name.resize(name.size() - 6);
    const BenchCase* c = FindBenchCase(name.c_str());
    const long count = strtol(argv[2], nullptr, 10);
    if (c == nullptr || count < 0) {
        fprintf(stderr, "instr_driver: unknown case %s or bad count %s\n", argv[1], argv[2]);
        return 2;
    }
    BenchSetUp();
    c->prepare();
    void (*const call)() = floor ? c->floor : c->run;
    const uint64_t bridgeBefore = BridgeCallCount;
    for (long i = 0; i < count; ++i) call();
    const uint64_t bridgeCalls = BridgeCallCount - bridgeBefore;
    if (bridgeCalls != static_cast<uint64_t>(count) * c->bridgeCalls) {
        fprintf(stderr, "instr_driver: %s made %llu bridge calls, expected %llu\n", argv[1],
                static_cast<unsigned long long>(bridgeCalls),
                static_cast<unsigned long long>(count) * c->bridgeCalls);
        return 1;
    }
    return 0;
}
