// The controller link: everything that reaches the HD44780-compatible controller.
//
// The controller sits on the bridge's parallel bus; a byte written to bus address 0
// lands in its instruction register, one written to address 1 in its data register.
// The link only ever writes, one byte per transfer, and never reads the busy flag:
// every instruction is followed by a fixed wait, data bytes by none.
//
// Every operation takes the bridge device number first. A negative number raises
// ERangeError immediately before the bridge call that would have used it.
#pragma once

#include <stdint.h>

#include "text.h"

// Panel geometries, columns x rows. There is no value 2.
enum class GeometryCode : uint8_t {
    Lcd8x1 = 0,
    Lcd16x1 = 1,
    Lcd20x1 = 3,
    Lcd40x1 = 4,
    Lcd8x2 = 5,
    Lcd12x2 = 6,
    Lcd16x2 = 7,
    Lcd20x2 = 8,
    Lcd24x2 = 9,
    Lcd40x2 = 10,
    Lcd16x4 = 11,
    Lcd20x4 = 12,
};

// Controller instructions that the link sends.
namespace LcdInstruction {
constexpr uint8_t FunctionSet8Bit = 0x30;          // 8-bit bus, one line, 5x8 dots
constexpr uint8_t FunctionSet8BitTwoLines = 0x3C;  // 8-bit bus, two lines
constexpr uint8_t DisplayOff = 0x08;               // display, cursor and blink off
constexpr uint8_t ClearDisplay = 0x01;             // DDRAM to spaces, address counter to 0
constexpr uint8_t EntryModeIncrement = 0x06;       // counter up after each byte, no shift
constexpr uint8_t DisplayOn = 0x0C;                // display on, cursor and blink off
constexpr uint8_t SetDisplayAddress = 0x80;        // + 7-bit display data RAM address
constexpr uint8_t SetPatternAddress = 0x40;        // + 6-bit character generator RAM address
}  // namespace LcdInstruction

void LcdOpen(int32_t device);
void LcdClose(int32_t device);
// Sends one instruction byte, then waits 1 ms.
void LcdCommand(int32_t device, uint8_t instruction);
// The start-up sequence: 9 instructions and 20 ms of waits, the same for every
// geometry. Leaves the display cleared and on, cursor off, address counter at 0.
void LcdInitController(int32_t device);
// Set-address instructions; each waits 2 ms in all.
void LcdSetDisplayAddress(int32_t device, uint8_t address);
void LcdSetPatternAddress(int32_t device, uint8_t address);
// Each character as one data byte, unchanged and with no wait; nothing for an empty text.
void LcdWriteText(int32_t device, Text text);
// The eight rows of a character pattern, top row first, as data bytes.
void LcdWritePattern(int32_t device, const uint8_t (&pattern)[8]);

// The code of a listed (columns, rows) pair; false when the pair is not listed.
bool LcdGeometryCode(uint8_t columns, uint8_t rows, GeometryCode* code);
// Display data address of the first column of a 1-based row.
uint8_t LcdRowBase(uint8_t row, GeometryCode code);
// Display data address of a 1-based (column, row) cell; ERangeError outside 0..255.
uint8_t LcdCellAddress(uint8_t column, uint8_t row, GeometryCode code);
