// Between the stand-in bridge's two source files: the fault that modes 1 and 3
// make, and the Windows-only modes 3 and 4 (bridge_stub_vendor_faults.c).
#pragma once

#include <stdint.h>

// A write through a null pointer that the compiler can neither see nor drop.
void BridgeStubAccessViolation(void);

#ifdef _WIN32
// Raises mode 3 or 4; does nothing for another mode.
void BridgeStubRaiseVendorFault(uint32_t mode);
#endif
