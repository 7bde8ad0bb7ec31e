// The real vantrel.dll as a host sees it: loaded at run time from the program's
// folder, every entry looked up by its exported name (or by its ordinal).
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "bridge_stub.h"

#define VANTREL_CALL __attribute__((stdcall))

struct VantrelDll {
    using InitFn = const char*(VANTREL_CALL*)(uint32_t, uint32_t, const char*, uint8_t*);
    using VoidFn = void(VANTREL_CALL*)();
    using TextFn = const char*(VANTREL_CALL*)();
    using SetPositionFn = void(VANTREL_CALL*)(uint32_t, uint32_t);
    using WriteFn = void(VANTREL_CALL*)(const char*);
    using CustomCharFn = void(VANTREL_CALL*)(uint32_t, const uint8_t*);
    using ReadKeyFn = uint16_t(VANTREL_CALL*)();
    using OneValueFn = void(VANTREL_CALL*)(uint32_t);
    using TwoValuesFn = void(VANTREL_CALL*)(uint32_t, uint32_t);
    using OutputNameFn = void(VANTREL_CALL*)(uint32_t, uint8_t*);
    using CalculateExFn = void(VANTREL_CALL*)(char* const*);
    using NumOutputsFn = uint8_t(VANTREL_CALL*)();

    // Loads `file` (a copy under another name is a separate library instance with
    // its own state); resolves every entry by name.
    explicit VantrelDll(const char* file = "vantrel.dll");
    ~VantrelDll() = default;  // kept loaded: the library never releases the block

    HMODULE module = nullptr;
    InitFn Init = nullptr;
    VoidFn Done = nullptr;
    TextFn DriverName = nullptr, Usage = nullptr, DefaultParameters = nullptr;
    SetPositionFn SetPosition = nullptr;
    WriteFn Write = nullptr;
    CustomCharFn CustomChar = nullptr;
    ReadKeyFn ReadKey = nullptr;
    OneValueFn SetBacklight = nullptr, SetContrast = nullptr, SetBrightness = nullptr;
    TwoValuesFn SetGPO = nullptr, SetFan = nullptr;
    OutputNameFn OutputName = nullptr;
    CalculateExFn CalculateEx = nullptr;
    NumOutputsFn NumOutputs = nullptr;

    // Four outputs of CalculateEx, read into guarded buffers.
    std::vector<std::string> Calculate();
};

// The one vantrel.dll of the program's folder, loaded on first use.
VantrelDll& Dll();

// The export table's names and ordinals.
struct ExportedEntry {
    const char* name;
    int ordinal;
};
extern const ExportedEntry kExportedEntries[17];

// The bridge log since the last reset, as tokens ("open0", "i30", "d41", ...).
std::string BridgeStream();
std::vector<BridgeRecord> BridgeRecords();

// Copies vantrel.dll to `file` in the program's folder (for a second instance).
bool CopyDll(const char* file);
