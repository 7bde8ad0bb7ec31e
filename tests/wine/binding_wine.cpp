// The binding under Wine: every entry looked up by name in the loaded vantrel.dll,
// every bridge control in the stand-in CH341DLL.DLL that vantrel.dll imports.
#include "vantrel_binding.h"

#include <string.h>

#include "vantrel_dll.h"

namespace {

template <class Fn>
void Resolve(HMODULE module, Fn& fn, const char* name, bool* complete) {
    fn = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    if (fn == nullptr) *complete = false;
}

struct Loaded {
    VantrelBinding binding{};
    bool complete = true;
    Loaded() {
        const HMODULE dll = LoadLibraryA("vantrel.dll");
        const HMODULE bridge = LoadLibraryA("CH341DLL.DLL");
        complete = dll != nullptr && bridge != nullptr;
        VantrelEntries& e = binding.entry;
#define VANTREL_ENTRY_RESOLVE(field, name, ordinal) Resolve(dll, e.field, #name, &complete);
        VANTREL_ENTRY_LIST(VANTREL_ENTRY_RESOLVE)
#undef VANTREL_ENTRY_RESOLVE
        BridgeControls& b = binding.bridge;
        Resolve(bridge, b.Count, "BridgeStubCount", &complete);
        Resolve(bridge, b.Get, "BridgeStubGet", &complete);
        Resolve(bridge, b.Reset, "BridgeStubReset", &complete);
        Resolve(bridge, b.FailOn, "BridgeStubFailOn", &complete);
        Resolve(bridge, b.SetLengthAfterWrite, "BridgeStubSetLengthAfterWrite", &complete);
        Resolve(bridge, b.SetWriteResult, "BridgeStubSetWriteResult", &complete);
    }
};

const Loaded& Load() {
    static const Loaded loaded;
    return loaded;
}

}  // namespace

const VantrelBinding& Vantrel() { return Load().binding; }

bool BindingComplete() { return Load().complete; }

namespace side {

const char* const kBridgeRaisedText = "Exception: Externe Exception E0425247";

void StartCase() {
    if (BindingComplete()) Vantrel().bridge.Reset();
}

void EndCase() { StartCase(); }

bool ReadBlock(BlockBytes* out) {
    // Mapped once it exists, and kept: the block lives while any process holds it.
    static const uint8_t* view = nullptr;
    if (view == nullptr) {
        HANDLE handle = OpenFileMappingA(FILE_MAP_READ, FALSE, "DisplayLines");
        if (handle == nullptr) return false;
        view = static_cast<const uint8_t*>(MapViewOfFile(handle, FILE_MAP_READ, 0, 0, 0));
        if (view == nullptr) return false;
    }
    memcpy(out->data(), view, out->size());
    return true;
}

// The first page of the address space is never mapped.
char* UnmappedAddress() { return reinterpret_cast<char*>(1); }

char* GapAfterWritablePage() {
    static char* const gap = [] {
        char* base = static_cast<char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base + 4096, 4096, PAGE_NOACCESS, &old);
        return base + 4096;
    }();
    return gap;
}

char* ReadOnlyPage() {
    static char* const page = [] {
        char* p = static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        memset(p, 0x5A, 4096);
        DWORD old;
        VirtualProtect(p, 4096, PAGE_READONLY, &old);
        return p;
    }();
    return page;
}

bool CurrentRow(int32_t*) { return false; }

}  // namespace side
