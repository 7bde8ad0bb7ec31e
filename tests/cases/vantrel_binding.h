// The one binding through which the tables of cases in tests/cases/ reach the
// library: its entries and the stand-in bridge's controls. The native suite fills it
// with direct calls into the library's code (tests/native/binding_native.cpp); the
// Wine suite with GetProcAddress on the loaded vantrel.dll and CH341DLL.DLL
// (tests/wine/binding_wine.cpp). A case written against it runs in both.
#pragma once

#include <stdint.h>

#include <array>

#include "bridge_stub.h"
#include "entries.h"

struct VantrelEntries {
    decltype(&DISPLAYDLL_Init) Init;
    decltype(&DISPLAYDLL_Done) Done;
    decltype(&DISPLAYDLL_DriverName) DriverName;
    decltype(&DISPLAYDLL_Usage) Usage;
    decltype(&DISPLAYDLL_DefaultParameters) DefaultParameters;
    decltype(&DISPLAYDLL_SetPosition) SetPosition;
    decltype(&DISPLAYDLL_Write) Write;
    decltype(&DISPLAYDLL_CustomChar) CustomChar;
    decltype(&DISPLAYDLL_ReadKey) ReadKey;
    decltype(&DISPLAYDLL_SetBacklight) SetBacklight;
    decltype(&DISPLAYDLL_SetContrast) SetContrast;
    decltype(&DISPLAYDLL_SetBrightness) SetBrightness;
    decltype(&DISPLAYDLL_SetGPO) SetGPO;
    decltype(&DISPLAYDLL_SetFan) SetFan;
    decltype(&::OutputName) OutputName;
    decltype(&::CalculateEx) CalculateEx;
    decltype(&::NumOutputs) NumOutputs;
};

// The stand-in bridge's control API (see tools/bridge_stub/bridge_stub.h).
struct BridgeControls {
    decltype(&BridgeStubCount) Count;
    decltype(&BridgeStubGet) Get;
    decltype(&BridgeStubReset) Reset;
    decltype(&BridgeStubFailOn) FailOn;
    decltype(&BridgeStubSetLengthAfterWrite) SetLengthAfterWrite;
    decltype(&BridgeStubSetWriteResult) SetWriteResult;
};

struct VantrelBinding {
    VantrelEntries entry;
    BridgeControls bridge;
};

// Filled once per process; every member is set (a side that cannot resolve one
// leaves it null, and BindingComplete() says so).
const VantrelBinding& Vantrel();
bool BindingComplete();

// What each side provides besides the calls: the means to set up a case, the block
// as another program reads it, and memory that faults.
namespace side {

// Before and after each case: natively the driver state of a freshly loaded library
// with shared blocks of its own; under Wine the one loaded vantrel.dll as it is.
// Both clear the bridge log.
void StartCase();
void EndCase();

// The 324 bytes of "DisplayLines" as another program reads them; false when the
// block does not exist.
constexpr int kSlotSize = 81;
using BlockBytes = std::array<uint8_t, 4 * kSlotSize>;
bool ReadBlock(BlockBytes* out);

// An address in no mapping.
char* UnmappedAddress();
// The first byte of a page without access that follows a writable page.
char* GapAfterWritablePage();
// A page of 0x5A bytes that can be read but not written.
char* ReadOnlyPage();

// The driver's zero-based current row where the side can see it (natively).
bool CurrentRow(int32_t* row);

// What Init reports when the stand-in bridge raises its own exception (mode 2):
// a Windows exception code under Wine, a signal natively.
extern const char* const kBridgeRaisedText;

}  // namespace side
