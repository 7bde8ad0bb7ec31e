// Recording double of the bridge library; see bridge_stub.h.
#define BRIDGE_STUB_BUILDING 1
#ifndef _WIN32
#define _POSIX_C_SOURCE 200809L  // clock_gettime, sched_yield
#endif

#include "bridge_stub.h"

#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>

#include "bridge_stub_internal.h"
#include "ch341dll.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <signal.h>
#include <sched.h>
#include <time.h>
#endif

static BridgeRecord records[BRIDGE_STUB_CAPACITY];
static uint32_t recordCount;
static uint32_t bridgeCalls;  // bridge calls since the last reset, for BridgeStubFailOn
static uint32_t failOnCall;
static uint32_t failMode;
static uint32_t lengthAfterWrite = 1;
static int32_t writeResult = 1;
static FILE* streamFile;
static int streamChecked;  // VANTREL_BRIDGE_LOG has been looked at since the last reset

// The driver may call from more than one thread; a spin lock keeps records whole
// and in order. It is never held while a fault is raised, because the fault's
// handler may jump out of the stub for good.
static char lockFlag;

static void lock(void) {
    while (__atomic_test_and_set(&lockFlag, __ATOMIC_ACQUIRE)) {
#ifdef _WIN32
        Sleep(0);
#else
        sched_yield();
#endif
    }
}

static void unlock(void) { __atomic_clear(&lockFlag, __ATOMIC_RELEASE); }

static int64_t nowNs(void) {
#ifdef _WIN32
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    // Split to keep counter * 1e9 from overflowing.
    const int64_t seconds = counter.QuadPart / frequency.QuadPart;
    const int64_t rest = counter.QuadPart % frequency.QuadPart;
    return seconds * 1000000000 + rest * 1000000000 / frequency.QuadPart;
#else
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000000000 + ts.tv_nsec;
#endif
}

// Caller holds the lock.
static void append(uint32_t kind, uint32_t device, uint32_t byte, uint32_t length) {
    BridgeRecord r;
    r.kind = kind;
    r.device = device;
    r.byte = byte;
    r.lengthOnEntry = length;
    r.timeNs = nowNs();
    if (recordCount < BRIDGE_STUB_CAPACITY) records[recordCount++] = r;

    if (!streamChecked) {
        streamChecked = 1;
        const char* path = getenv("VANTREL_BRIDGE_LOG");
        if (path && *path) streamFile = fopen(path, "a");
    }
    if (streamFile) {
        fprintf(streamFile, "%" PRIu32 " %" PRIu32 " %" PRIu32 " %" PRIu32 " %" PRId64 "\n", r.kind,
                r.device, r.byte, r.lengthOnEntry, r.timeNs);
        fflush(streamFile);
    }
}

__attribute__((no_sanitize("undefined")))
void BridgeStubAccessViolation(void) {
    // Both volatile: the compiler must neither see the null (and emit a trap
    // instruction, a different fault) nor drop the store.
    volatile int* volatile target = NULL;
    *target = 1;
}

static void raiseFault(uint32_t mode) {
    if (mode == 1) {
        BridgeStubAccessViolation();
    } else if (mode == 2) {
#ifdef _WIN32
        RaiseException(BRIDGE_STUB_EXCEPTION_CODE, 0, 0, NULL);
#else
        raise(SIGFPE);
#endif
    }
#ifdef _WIN32
    BridgeStubRaiseVendorFault(mode);
#endif
}

// ---- Observer ----------------------------------------------------------------
// A build may name, in BRIDGE_STUB_OBSERVER, a function that sees every bridge call
// right after it is recorded, outside the lock (the virtual panel feeds its window
// from it). The stand-in bridge itself has none.
#ifdef BRIDGE_STUB_OBSERVER
void BRIDGE_STUB_OBSERVER(uint32_t kind, uint32_t device, uint32_t byte, uint32_t length);
#define OBSERVE_CALL(kind, device, byte, length) BRIDGE_STUB_OBSERVER(kind, device, byte, length)
#else
#define OBSERVE_CALL(kind, device, byte, length) ((void)0)
#endif
// ---- end of the observer --------------------------------------------------------

// Records a bridge call; returns the fault mode to raise for it (0: do the work).
static uint32_t bridgeCall(uint32_t kind, uint32_t device, uint32_t byte, uint32_t length) {
    lock();
    append(kind, device, byte, length);
    const uint32_t call = ++bridgeCalls;
    const uint32_t mode = (call == failOnCall) ? failMode : 0;
    unlock();
    OBSERVE_CALL(kind, device, byte, length);
    return mode;
}

static int32_t memWrite(uint32_t kind, uint32_t device, void* buffer, uint32_t* length) {
    const uint32_t byte = buffer ? ((const uint8_t*)buffer)[0] : 0;
    const uint32_t mode = bridgeCall(kind, device, byte, length ? *length : 0);
    if (mode) {
        raiseFault(mode);
        return 0;
    }
    lock();
    const uint32_t after = lengthAfterWrite;
    const int32_t result = writeResult;
    unlock();
    if (length) *length = after;
    return result;
}

void* VANTREL_STDCALL CH341OpenDevice(uint32_t index) {
    const uint32_t mode = bridgeCall(BridgeOpen, index, 0, 0);
    if (mode) {
        raiseFault(mode);
        return NULL;
    }
    return (void*)(uintptr_t)(index + 1);
}

void VANTREL_STDCALL CH341CloseDevice(uint32_t index) {
    const uint32_t mode = bridgeCall(BridgeClose, index, 0, 0);
    if (mode) raiseFault(mode);
}

int32_t VANTREL_STDCALL CH341MemWriteAddr0(uint32_t index, void* buffer, uint32_t* length) {
    return memWrite(BridgeInstruction, index, buffer, length);
}

int32_t VANTREL_STDCALL CH341MemWriteAddr1(uint32_t index, void* buffer, uint32_t* length) {
    return memWrite(BridgeData, index, buffer, length);
}

uint32_t BridgeStubCount(void) {
    lock();
    const uint32_t n = recordCount;
    unlock();
    return n;
}

int BridgeStubGet(uint32_t index, BridgeRecord* out) {
    int found = 0;
    lock();
    if (index < recordCount && out) {
        *out = records[index];
        found = 1;
    }
    unlock();
    return found;
}

void BridgeStubReset(void) {
    lock();
    recordCount = 0;
    bridgeCalls = 0;
    failOnCall = 0;
    failMode = 0;
    lengthAfterWrite = 1;
    writeResult = 1;
    if (streamFile) fclose(streamFile);
    streamFile = NULL;
    streamChecked = 0;
    unlock();
}

void BridgeStubRecordWait(uint32_t ms) {
    lock();
    append(BridgeWait, 0, ms, 0);
    unlock();
}

void BridgeStubFailOn(uint32_t callNumber, uint32_t mode) {
    lock();
    failOnCall = mode ? callNumber : 0;
    failMode = mode;
    unlock();
}

void BridgeStubSetLengthAfterWrite(uint32_t value) {
    lock();
    lengthAfterWrite = value;
    unlock();
}

void BridgeStubSetWriteResult(int32_t result) {
    lock();
    writeResult = result;
    unlock();
}
