// The binding, natively: direct calls into the library's code and the stand-in
// bridge's static library; the driver's waits go into the bridge log.
#include "vantrel_binding.h"

#include <string.h>
#include <sys/mman.h>

#include "driver_fixture.h"
#include "driver_state.h"
#include "line_mirror.h"

const VantrelBinding& Vantrel() {
    static const VantrelBinding binding = {
        {
#define VANTREL_ENTRY_DIRECT(field, name, ordinal) name,
            VANTREL_ENTRY_LIST(VANTREL_ENTRY_DIRECT)
#undef VANTREL_ENTRY_DIRECT
        },
        {BridgeStubCount, BridgeStubGet, BridgeStubReset, BridgeStubFailOn, BridgeStubSetLengthAfterWrite,
         BridgeStubSetWriteResult},
    };
    return binding;
}

bool BindingComplete() { return true; }

namespace side {

// raise(SIGFPE) carries no fault detail, so it reads as an invalid operation.
const char* const kBridgeRaisedText = "Exception: Ung\xFCltige Gleitkommaoperation";

void StartCase() { DriverTest::StartFresh(); }

void EndCase() { DriverTest::Finish(); }

bool ReadBlock(BlockBytes* out) {
    if (Driver.LineBlockView == nullptr) return false;
    memcpy(out->data(), Driver.LineBlockView, out->size());
    return true;
}

char* UnmappedAddress() { return UnmappedPage(); }

char* GapAfterWritablePage() {
    static char* const gap = [] {
        char* base = static_cast<char*>(
            mmap(nullptr, 8192, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base + 4096, 4096, PROT_NONE);
        return base + 4096;
    }();
    return gap;
}

char* ReadOnlyPage() {
    static char* const page = [] {
        char* p = static_cast<char*>(mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        memset(p, 0x5A, 4096);
        mprotect(p, 4096, PROT_READ);
        return p;
    }();
    return page;
}

bool CurrentRow(int32_t* row) {
    *row = Driver.CurrentRow;
    return true;
}

}  // namespace side
