// The driver state: process-wide, one set per loaded library, from load to unload.
// Constant-initialised, so loading the library runs nothing. No entry resets it.
#pragma once

#include <stdint.h>

#include "lcd.h"
#include "platform/platform.h"

struct DriverState {
    // Bridge device number from the start-up parameter; stored before its sign is
    // tested, so a failed Init can leave a negative number here.
    int32_t DeviceIndex = 0;
    // Panel geometry that selects the row addresses (GeometryCode).
    GeometryCode Geometry = GeometryCode::Lcd20x4;
    // Zero-based row of the last successful SetPosition; selects the mirror slot.
    int32_t CurrentRow = 0;
    // The "DisplayLines" mapping and its view, shared by the writer and reader entries.
    SharedHandle LineBlockHandle = nullptr;
    uint8_t* LineBlockView = nullptr;
    // True when LineBlockView was mapped writable by Init, false for a reader's view.
    bool LineBlockWritable = false;
};

extern DriverState Driver;
