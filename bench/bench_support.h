// Shared by the native benchmark and the instruction-count driver: the bridge and
// the waits replaced by counting no-ops, a shared-memory prefix of this process's
// own, and the measured cases, each with its floor.
//
// The floor of a case is the least work any implementation has to do for it: for
// the display entries, a bare loop that makes the same bridge calls with the same
// bytes; for the reader entries, which make no bridge call, the plain copies of the
// bytes they hand back.
#pragma once

#include <stdint.h>

// Calls that reached the no-op bridge (open, close and both writes), and the waits
// the driver asked for, since the process started.
extern uint64_t BridgeCallCount;
extern uint64_t WaitCount;
extern uint64_t WaitMilliseconds;

// Routes the waits into the counter and sets this process's shared-memory prefix;
// the block is removed again at exit.
void BenchSetUp();
// A freshly loaded library with no block under our prefix.
void BenchDetach();
// Init(20, 4, "0") when the library holds no writable view; asserts success.
void BenchAttach();

struct BenchCase {
    const char* name;
    const char* entry;     // what the host calls, for tables
    uint32_t size;         // characters written, 0 where it does not apply
    uint32_t bridgeCalls;  // bridge calls per call of the entry
    uint32_t waitMs;       // milliseconds of waits per call of the entry
    void (*prepare)();     // state the case needs (not measured)
    void (*run)();         // one call of the entry
    void (*floor)();       // one run of the floor
};

extern const BenchCase kBenchCases[];
extern const uint32_t kBenchCaseCount;
const BenchCase* FindBenchCase(const char* name);
