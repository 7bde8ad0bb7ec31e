#include "vantrel_dll.h"

#include "bridge_tokens.h"
#include "case_fixture.h"

#include <string.h>

const ExportedEntry kExportedEntries[17] = {
    {"OutputName", 1},
    {"CalculateEx", 2},
    {"NumOutputs", 3},
    {"DISPLAYDLL_Init", 4},
    {"DISPLAYDLL_Done", 5},
    {"DISPLAYDLL_DriverName", 6},
    {"DISPLAYDLL_Usage", 7},
    {"DISPLAYDLL_DefaultParameters", 8},
    {"DISPLAYDLL_SetPosition", 9},
    {"DISPLAYDLL_Write", 10},
    {"DISPLAYDLL_CustomChar", 11},
    {"DISPLAYDLL_ReadKey", 12},
    {"DISPLAYDLL_SetBacklight", 13},
    {"DISPLAYDLL_SetContrast", 14},
    {"DISPLAYDLL_SetBrightness", 15},
    {"DISPLAYDLL_SetGPO", 16},
    {"DISPLAYDLL_SetFan", 17},
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
    Resolve(module, Init, "DISPLAYDLL_Init");
    Resolve(module, Done, "DISPLAYDLL_Done");
    Resolve(module, DriverName, "DISPLAYDLL_DriverName");
    Resolve(module, Usage, "DISPLAYDLL_Usage");
    Resolve(module, DefaultParameters, "DISPLAYDLL_DefaultParameters");
    Resolve(module, SetPosition, "DISPLAYDLL_SetPosition");
    Resolve(module, Write, "DISPLAYDLL_Write");
    Resolve(module, CustomChar, "DISPLAYDLL_CustomChar");
    Resolve(module, ReadKey, "DISPLAYDLL_ReadKey");
    Resolve(module, SetBacklight, "DISPLAYDLL_SetBacklight");
    Resolve(module, SetContrast, "DISPLAYDLL_SetContrast");
    Resolve(module, SetBrightness, "DISPLAYDLL_SetBrightness");
    Resolve(module, SetGPO, "DISPLAYDLL_SetGPO");
    Resolve(module, SetFan, "DISPLAYDLL_SetFan");
    Resolve(module, OutputName, "OutputName");
    Resolve(module, CalculateEx, "CalculateEx");
    Resolve(module, NumOutputs, "NumOutputs");
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
