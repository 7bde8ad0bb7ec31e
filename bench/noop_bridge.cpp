// The four bridge calls as counting no-ops. They live in a file of their own, so
// that neither the entries nor the floors can have them inlined.
#include "ch341dll.h"

#include "bench_support.h"

uint64_t BridgeCallCount = 0;

extern "C" {

void* VANTREL_STDCALL CH341OpenDevice(uint32_t) {
    ++BridgeCallCount;
    return reinterpret_cast<void*>(1);
}

void VANTREL_STDCALL CH341CloseDevice(uint32_t) {
    ++BridgeCallCount;
}

int32_t VANTREL_STDCALL CH341MemWriteAddr0(uint32_t, void*, uint32_t*) {
    ++BridgeCallCount;
    return 1;
}

int32_t VANTREL_STDCALL CH341MemWriteAddr1(uint32_t, void*, uint32_t*) {
    ++BridgeCallCount;
    return 1;
}

}  // extern "C"
