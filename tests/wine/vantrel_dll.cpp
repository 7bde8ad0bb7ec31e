#include "vantrel_dll.h"

#include "bridge_tokens.h"
#include "case_fixture.h"
#include "vantrel_binding.h"

#include <string.h>

const ExportedEntry kExportedEntries[17] = {
#define VANTREL_ENTRY_EXPORT(field, name, ordinal) {#name, ordinal},
    VANTREL_ENTRY_LIST(VANTREL_ENTRY_EXPORT)
#undef VANTREL_ENTRY_EXPORT
};

namespace {

template <class Fn>
void Resolve(HMODULE module, Fn& fn, const char* name) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

VantrelDll::VantrelDll(const char* file) {
    module = LoadLibraryA(file);
    if (module == nullptr) return;
    // Each entry by its exported name, as a host finds it.
#define VANTREL_ENTRY_RESOLVE(field, name, ordinal) Resolve(module, field, #name);
    VANTREL_ENTRY_LIST(VANTREL_ENTRY_RESOLVE)
#undef VANTREL_ENTRY_RESOLVE
}

VantrelDll& Dll() {
    static VantrelDll dll;
    return dll;
}

std::vector<std::string> VantrelDll::Calculate() {
    return GuardedOutputs(CalculateEx);
}

std::vector<BridgeRecord> BridgeRecords() {
    return BridgeLog();
}

std::string BridgeStream() {
    return BridgeStreamTokens();
}

bool CopyDll(const char* file) {
    // Beside the program, where LoadLibrary looks first.
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    folder.erase(folder.find_last_of("\\/") + 1);
    return CopyFileA((folder + "vantrel.dll").c_str(), (folder + file).c_str(), FALSE) != 0;
}
