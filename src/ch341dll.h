// The four calls of the USB bridge maker's library that the controller link uses.
//
// They are imported by undecorated name from "CH341DLL.DLL" (stdcall). The bridge
// runs in its parallel memory-write mode: a write on address 0 reaches the
// controller's instruction register, a write on address 1 its data register.
// Declared here from what the controller link relies on, nothing more.
#pragma once

#include <stdint.h>

#include "entries.h"

#ifdef __cplusplus
extern "C" {
#endif

// Opens bridge device `index`; the result is a handle-sized value that we never examine.
void* VANTREL_STDCALL CH341OpenDevice(uint32_t index);
void VANTREL_STDCALL CH341CloseDevice(uint32_t index);
// Write *length bytes from buffer on bus address 0 (instruction) or 1 (data).
// The length cell is in/out: the bridge may change it. Returns a 32-bit boolean.
int32_t VANTREL_STDCALL CH341MemWriteAddr0(uint32_t index, void* buffer, uint32_t* length);
int32_t VANTREL_STDCALL CH341MemWriteAddr1(uint32_t index, void* buffer, uint32_t* length);

#ifdef __cplusplus
}
#endif
