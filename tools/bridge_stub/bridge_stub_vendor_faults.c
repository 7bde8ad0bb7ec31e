// The stand-in bridge's faults as a vendor's library makes them (Windows only):
// an access violation inside exception records of its own, and stack exhaustion.
// Armed like BridgeStubFailOn; see bridge_stub.h.
#define BRIDGE_STUB_BUILDING 1

#include "bridge_stub.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "bridge_stub_internal.h"

// An exception-registration record as the thread's chain (headed at fs:[0]) holds
// it, with the stub's number for it after the two fields the system reads.
typedef struct OwnRecord {
    struct OwnRecord* next;
    void* handler;
    uint32_t number;  // 1 outer, 2 inner
} OwnRecord;

#define UNWINDING_FLAGS 0x6u  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
#define UNWOUND_CAPACITY 16u

static volatile uint32_t unwoundNumbers[UNWOUND_CAPACITY];
static volatile uint32_t unwoundCount;
static volatile int exhausting;  // read by the recursion, so it cannot be proven endless

static OwnRecord* chainHead(void) {
    OwnRecord* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

static void setChainHead(OwnRecord* head) {
    __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

// Passes every exception on; notes each unwinding call, as a termination handler
// that releases a lock would run.
static EXCEPTION_DISPOSITION __cdecl ownRecordHandler(EXCEPTION_RECORD* record, void* establisher,
                                                      CONTEXT* context, void* dispatcher) {
    (void)context;
    (void)dispatcher;
    if (record->ExceptionFlags & UNWINDING_FLAGS) {
        const uint32_t n = unwoundCount;
        if (n < UNWOUND_CAPACITY) unwoundNumbers[n] = ((OwnRecord*)establisher)->number;
        unwoundCount = n + 1;
    }
    return ExceptionContinueSearch;
}

// The inner record lives in a frame below the outer one's, so the chain runs
// from lower to higher addresses as the system expects.
static __attribute__((noinline)) void innerRecordAndFault(void) {
    OwnRecord inner = {chainHead(), (void*)ownRecordHandler, 2};
    setChainHead(&inner);
    BridgeStubAccessViolation();
    setChainHead(inner.next);  // reached only if the fault is continued
}

static __attribute__((noinline)) void faultInsideOwnRecords(void) {
    OwnRecord outer = {chainHead(), (void*)ownRecordHandler, 1};
    setChainHead(&outer);
    innerRecordAndFault();
    setChainHead(outer.next);
}

// 512 bytes a level: every page of the stack is touched in order on the way down,
// so the system's guard page is met before anything below it.
static __attribute__((noinline)) uint32_t exhaustStack(uint32_t depth) {
    volatile uint8_t frame[512];
    frame[0] = (uint8_t)depth;
    frame[sizeof frame - 1] = (uint8_t)depth;
    if (exhausting) frame[1] = (uint8_t)exhaustStack(depth + 1);
    return frame[0] + frame[1];
}

void BridgeStubRaiseVendorFault(uint32_t mode) {
    if (mode == BRIDGE_STUB_FAULT_INSIDE_RECORDS) {
        faultInsideOwnRecords();
    } else if (mode == BRIDGE_STUB_EXHAUST_STACK) {
        exhausting = 1;
        exhaustStack(0);
    }
}

void BridgeStubFaultInsideRecordsOn(uint32_t callNumber) {
    unwoundCount = 0;
    BridgeStubFailOn(callNumber, BRIDGE_STUB_FAULT_INSIDE_RECORDS);
}

uint32_t BridgeStubUnwoundRecords(uint32_t* numbers, uint32_t capacity) {
    const uint32_t count = unwoundCount;
    for (uint32_t i = 0; i < count && i < capacity && i < UNWOUND_CAPACITY; ++i) numbers[i] = unwoundNumbers[i];
    return count;
}

void BridgeStubExhaustStackOn(uint32_t callNumber) {
    BridgeStubFailOn(callNumber, BRIDGE_STUB_EXHAUST_STACK);
}
