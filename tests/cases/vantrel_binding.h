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

// Every entry once: X(field, exported name, ordinal). The binding's fields, both
// ways of filling them, and the Wine suite's export table are made from this list.
#define VANTREL_ENTRY_LIST(X)                                  \
    X(OutputName, OutputName, 1)                               \
    X(CalculateEx, CalculateEx, 2)                             \
    X(NumOutputs, NumOutputs, 3)                               \
    X(Init, DISPLAYDLL_Init, 4)                                \
    X(Done, DISPLAYDLL_Done, 5)                                \
    X(DriverName, DISPLAYDLL_DriverName, 6)                    \
    X(Usage, DISPLAYDLL_Usage, 7)                              \
    X(DefaultParameters, DISPLAYDLL_DefaultParameters, 8)      \
    X(SetPosition, DISPLAYDLL_SetPosition, 9)                  \
    X(Write, DISPLAYDLL_Write, 10)                             \
    X(CustomChar, DISPLAYDLL_CustomChar, 11)                   \
    X(ReadKey, DISPLAYDLL_ReadKey, 12)                         \
    X(SetBacklight, DISPLAYDLL_SetBacklight, 13)               \
    X(SetContrast, DISPLAYDLL_SetContrast, 14)                 \
    X(SetBrightness, DISPLAYDLL_SetBrightness, 15)             \
    X(SetGPO, DISPLAYDLL_SetGPO, 16)                           \
    X(SetFan, DISPLAYDLL_SetFan, 17)

struct VantrelEntries {
#define VANTREL_ENTRY_FIELD(field, name, ordinal) decltype(&::name) field;
    VANTREL_ENTRY_LIST(VANTREL_ENTRY_FIELD)
#undef VANTREL_ENTRY_FIELD
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
