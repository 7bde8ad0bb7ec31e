// Stand-in for the USB bridge library: a recording double of the four bridge calls
// that the controller link makes (declared in src/ch341dll.h), plus a control API
// for tests and the demo.
//
// Windows: built as CH341DLL.DLL in the bin folder. The four bridge calls are
// exported stdcall by undecorated name, as the real library exports them; the
// control API below is exported cdecl by undecorated name as well. Programs reach
// the control API by linking the DLL's import library (CMake target `bridge_stub`),
// so they share the one loaded copy of the log with vantrel.dll. LoadLibrary +
// GetProcAddress("BridgeStubCount") etc. works too.
// Native: the static library `bridge_stub`, ordinary C functions.
//
// Every bridge call appends one record to a fixed in-memory log; when the log is
// full further records are dropped (BridgeStubCount stops at BRIDGE_STUB_CAPACITY).
// If the environment variable VANTREL_BRIDGE_LOG names a file, every record is also
// appended to that file as a text line "kind device byte length timeNs".
#pragma once

#include <stdint.h>

#include "bridge_record_kinds.h"

#ifdef __cplusplus
extern "C" {
#endif

// The DLL's exports are listed in CH341DLL.def.
#if defined(_WIN32) && !defined(BRIDGE_STUB_BUILDING)
#define BRIDGE_STUB_API __declspec(dllimport)
#else
#define BRIDGE_STUB_API
#endif

// A build may set a smaller log (the virtual panel, which only streams to the file).
#ifndef BRIDGE_STUB_CAPACITY
#define BRIDGE_STUB_CAPACITY 1000000u
#endif

// BridgeOpen, BridgeClose, BridgeInstruction, BridgeData, BridgeWait.
enum BridgeCallKind {
#define BRIDGE_STUB_KIND(name, number) Bridge##name = number,
    BRIDGE_RECORD_KINDS(BRIDGE_STUB_KIND)
#undef BRIDGE_STUB_KIND
};

typedef struct BridgeRecord {
    uint32_t kind;           // BridgeCallKind
    uint32_t device;         // device number as passed (0 for waits)
    uint32_t byte;           // buffer[0] for writes, milliseconds for waits, else 0
    uint32_t lengthOnEntry;  // *length when a write was entered, else 0
    int64_t timeNs;          // monotonic time at entry, in ns
} BridgeRecord;

// Number of records in the log.
BRIDGE_STUB_API uint32_t BridgeStubCount(void);
// Copies record `index` (0-based) to *out; returns 0 if there is no such record.
BRIDGE_STUB_API int BridgeStubGet(uint32_t index, BridgeRecord* out);
// Clears the log, the call counter and all injected behaviour, and closes the
// stream file (the next record reopens it if VANTREL_BRIDGE_LOG is set).
BRIDGE_STUB_API void BridgeStubReset(void);

// Appends a BridgeWait record for a wait of `ms` milliseconds. The native tests
// route the driver's waits here; it is not a bridge call and is not counted.
BRIDGE_STUB_API void BridgeStubRecordWait(uint32_t ms);

// The callNumber-th bridge call after the last reset (1-based, counting open,
// close and both writes) faults instead of doing its work; its record is appended
// first. Modes:
//   0 nothing (clears the injection),
//   1 access violation: a write through a null pointer (natively SIGSEGV),
//   2 Windows: RaiseException(0xE0425247, 0, 0, NULL); natively raise(SIGFPE).
// If the fault is continued (a handler returns), the call returns 0 / NULL
// and leaves *length alone.
BRIDGE_STUB_API void BridgeStubFailOn(uint32_t callNumber, uint32_t mode);

#define BRIDGE_STUB_EXCEPTION_CODE 0xE0425247u

// What a write leaves in *length (default 1).
BRIDGE_STUB_API void BridgeStubSetLengthAfterWrite(uint32_t value);
// What a write returns (default 1, TRUE).
BRIDGE_STUB_API void BridgeStubSetWriteResult(int32_t result);

// ---- Faults as a vendor's library makes them (Windows only) --------------------
//
// Two more fault modes for the callNumber-th bridge call, armed like
// BridgeStubFailOn and cleared by BridgeStubReset.
#ifdef _WIN32
// Mode 3: the call pushes two exception records of its own onto the thread's
// chain, as a library built with try/finally or C++ cleanup frames has, and makes
// an access violation inside them. Their handlers pass every exception on and
// note each unwinding call they get. Arming clears the notes.
#define BRIDGE_STUB_FAULT_INSIDE_RECORDS 3u
BRIDGE_STUB_API void BridgeStubFaultInsideRecordsOn(uint32_t callNumber);
// The records' numbers (1 the outer, 2 the inner) in the order of the unwinding
// calls they got since arming, up to `capacity` of them; returns how many calls
// there were. A record that was unwound exactly once, inner first, gives 2, 1.
BRIDGE_STUB_API uint32_t BridgeStubUnwoundRecords(uint32_t* numbers, uint32_t capacity);

// Mode 4: the call recurses until the thread's stack is exhausted.
#define BRIDGE_STUB_EXHAUST_STACK 4u
BRIDGE_STUB_API void BridgeStubExhaustStackOn(uint32_t callNumber);
#endif

#ifdef __cplusplus
}
#endif
