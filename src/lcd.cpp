#include "lcd.h"

#include "ch341dll.h"
#include "errors.h"
#include "platform/platform.h"

namespace {

// Waits, in milliseconds; each is a minimum. The link never polls the busy flag.
// Most instructions take 37 us, well inside 1 ms. Clear display takes 1.52 ms at
// 270 kHz and more on modules with a slow oscillator: it gets 2 ms, so that the
// instructions after it, display-on above all, do not reach a controller still
// clearing (a lost display-on leaves the panel dark).
constexpr uint32_t kInstructionWaitMs = 1;
constexpr uint32_t kAddressExtraWaitMs = 1;  // set-address instructions: 2 ms in all
constexpr uint32_t kClearExtraWaitMs = 1;    // clear display: 2 ms in all
constexpr uint32_t kPowerOnWaitMs = 10;      // after the first function set (> 4.1 ms)

// One data byte per bridge call, no waits. The device number is checked before
// the first byte: it cannot change between the bytes of one stream.
void WriteDataStream(int32_t device, const uint8_t* bytes, uint32_t count) {
    if (count == 0) return;
    const uint32_t index = NarrowToUnsigned(device);
    uint32_t length = 1;  // set once: later calls get the cell as the bridge left it
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t cell = bytes[i];
        CH341MemWriteAddr1(index, &cell, &length);
    }
}

}  // namespace

void LcdOpen(int32_t device) {
    CH341OpenDevice(NarrowToUnsigned(device));
}

void LcdClose(int32_t device) {
    CH341CloseDevice(NarrowToUnsigned(device));
}

void LcdCommand(int32_t device, uint8_t instruction) {
    uint8_t cell = instruction;
    uint32_t length = 1;
    CH341MemWriteAddr0(NarrowToUnsigned(device), &cell, &length);
    PlatformSleep(kInstructionWaitMs);
}

void LcdInitController(int32_t device) {
    // Start-up by instructions: the first function set, a wait long enough for a
    // controller that was mid-way through a 4-bit transfer, then three more.
    LcdCommand(device, LcdInstruction::FunctionSet8Bit);
    PlatformSleep(kPowerOnWaitMs);
    LcdCommand(device, LcdInstruction::FunctionSet8Bit);
    LcdCommand(device, LcdInstruction::FunctionSet8Bit);
    LcdCommand(device, LcdInstruction::FunctionSet8Bit);
    // Two-line mode on every panel: rows 3 and 4 of four-row panels continue lines 1 and 2.
    LcdCommand(device, LcdInstruction::FunctionSet8BitTwoLines);
    LcdCommand(device, LcdInstruction::DisplayOff);
    LcdCommand(device, LcdInstruction::ClearDisplay);
    PlatformSleep(kClearExtraWaitMs);
    LcdCommand(device, LcdInstruction::EntryModeIncrement);
    LcdCommand(device, LcdInstruction::DisplayOn);
}

void LcdSetDisplayAddress(int32_t device, uint8_t address) {
    LcdCommand(device, static_cast<uint8_t>(LcdInstruction::SetDisplayAddress | (address & 0x7F)));
    PlatformSleep(kAddressExtraWaitMs);
}

void LcdSetPatternAddress(int32_t device, uint8_t address) {
    // The 6-bit mask folds addresses of 64 and above back onto the eight patterns.
    LcdCommand(device, static_cast<uint8_t>(LcdInstruction::SetPatternAddress | (address & 0x3F)));
    PlatformSleep(kAddressExtraWaitMs);
}

void LcdWriteText(int32_t device, Text text) {
    WriteDataStream(device, text.data, text.length);
}

void LcdWritePattern(int32_t device, const uint8_t (&pattern)[8]) {
    WriteDataStream(device, pattern, 8);
}
