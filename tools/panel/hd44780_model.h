// A model of an HD44780-compatible character LCD controller: its instruction set,
// display data RAM (DDRAM), character generator RAM (CGRAM), address counter and
// mode bits. It sees only bus writes: Instruction() is a write with RS = 0 (the
// bridge's bus address 0), Data() a write with RS = 1 (bus address 1). Reads, the
// busy flag and execution times are not modelled.
//
// No OS dependency and no I/O. Any byte stream is safe: every RAM index is checked
// before use (see OutOfRangeAccessSeen()).
//
// DDRAM addressing. The address counter (AC) holds 7 bits, as in the controller, so
// "Set DDRAM address" can name any of 0x00-0x7F; only 80 of those addresses have
// cells behind them:
//   two-line mode: 0x00-0x27 (line 1) -> cells 0-39, 0x40-0x67 (line 2) -> cells 40-79;
//   one-line mode: 0x00-0x4F -> cells 0-79 (so one-line 0x28+i is two-line 0x40+i).
// Addresses without cells (two-line 0x28-0x3F and 0x68-0x7F, one-line 0x50-0x7F) may be
// set; a data write there is dropped, AC still moves, and they read as "no cell".
// Stepping follows the controller: two-line 0x27 -> 0x40 and 0x67 -> 0x00 (backwards
// 0x40 -> 0x27 and 0x00 -> 0x67), one-line 0x4F -> 0x00 (backwards 0x00 -> 0x4F); from
// an address without a cell AC counts on within 7 bits until it reaches one.
//
// CGRAM: 64 bytes, 8 patterns of 8 rows; AC wraps within 0x00-0x3F.
//
// Bus width. After reset the bus is 8 bits wide and each write carries one byte. A
// function set with DL = 0 switches to the 4-bit protocol: from then on each write
// delivers only its bits 7-4, the first write of a pair is the high nibble and the
// second completes the byte, which then runs as an instruction or as data according
// to the RS of the completing write. A function set with DL = 1 (for instance the
// 0x30, 0x30, 0x30 start-up sequence, which works from any state) returns to 8 bits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace panel {

// Which RAM data writes go into: the one chosen by the last set-address instruction
// (DDRAM after reset, clear display and return home).
enum class RamSelect : uint8_t { Ddram, Cgram };

class Hd44780Model {
public:
    static constexpr std::size_t kDdramSize = 80;
    static constexpr std::size_t kCgramSize = 64;

    // The state after the controller's power-on reset: DDRAM all spaces (0x20), AC 0 in
    // DDRAM, increment without shift, display/cursor/blink off, 8-bit bus, one line,
    // 5x8 font, no display shift. CGRAM (undefined at power-on) is all zeros here.
    Hd44780Model();
    void Reset();

    // A bus write with RS = 0 (instruction register).
    void Instruction(uint8_t byte);
    // A bus write with RS = 1 (data register): into DDRAM or CGRAM at AC, then AC moves
    // per the entry mode (and the display shifts, for DDRAM writes with S = 1).
    void Data(uint8_t byte);

    // The 80 DDRAM cells in storage order (see the mapping above).
    const std::array<uint8_t, kDdramSize>& DdramCells() const { return ddram_; }
    // The cell at a DDRAM address in the current line mode; nullopt when that address
    // has no cell.
    std::optional<uint8_t> DdramAt(uint8_t address) const;
    // The storage index of a DDRAM address in the given line mode, nullopt when none.
    static std::optional<std::size_t> DdramIndex(uint8_t address, bool twoLines);

    const std::array<uint8_t, kCgramSize>& Cgram() const { return cgram_; }
    // Row 0-7 (top first) of the pattern that character code `code` (0-15) shows:
    // bits 4..0, bit 4 leftmost. Codes 8-15 show patterns 0-7 again. Rows outside 0-7
    // give 0.
    uint8_t PatternRow(uint8_t code, int row) const;

    uint8_t AddressCounter() const { return ac_; }
    RamSelect SelectedRam() const { return ram_; }

    // Entry mode: I/D (true = increment) and S (display shifts with each DDRAM write).
    bool Increment() const { return increment_; }
    bool ShiftOnWrite() const { return shiftOnWrite_; }

    // Display on/off control: D, C (underline cursor), B (blinking cell).
    bool DisplayOn() const { return displayOn_; }
    bool CursorOn() const { return cursorOn_; }
    bool BlinkOn() const { return blinkOn_; }

    // Function set: DL, N and F as last written. F selects 5x10 dots only in one-line
    // mode; Font5x10() tells whether it is in effect.
    bool EightBitBus() const { return eightBitBus_; }
    bool TwoLines() const { return twoLines_; }
    bool FontBit() const { return fontBit_; }
    bool Font5x10() const { return fontBit_ && !twoLines_; }

    // With the 4-bit protocol: a high nibble has arrived and waits for its low half.
    bool NibblePending() const { return nibblePending_; }
    // That high nibble (0-15); 0 when none waits.
    uint8_t PendingHighNibble() const { return nibblePending_ ? highNibble_ : 0; }

    // Cells per line: 40 in two-line mode, 80 in one-line mode.
    int LineLength() const { return twoLines_ ? 40 : 80; }
    // How far the display has been shifted left, 0..LineLength()-1: the first column of
    // a line shows the cell DisplayShift() positions after the line's start (wrapping
    // within the line). Shifting right from 0 gives LineLength()-1.
    int DisplayShift() const { return shift_ % LineLength(); }

    // True once any RAM index fell outside its array. Every access is checked and an
    // out-of-range one is dropped, so with a correct model this stays false whatever
    // bytes arrive; fuzzing checks it.
    bool OutOfRangeAccessSeen() const { return outOfRangeSeen_; }

private:
    void Write(bool rs, uint8_t byte);
    void Execute(uint8_t instruction);
    void WriteData(uint8_t byte);
    void StepCounter(bool up);
    void ShiftDisplay(bool left);
    void StoreDdram(std::size_t index, uint8_t value);
    void StoreCgram(std::size_t index, uint8_t value);

    std::array<uint8_t, kDdramSize> ddram_{};
    std::array<uint8_t, kCgramSize> cgram_{};
    uint8_t ac_ = 0;
    RamSelect ram_ = RamSelect::Ddram;
    bool increment_ = true;
    bool shiftOnWrite_ = false;
    bool displayOn_ = false;
    bool cursorOn_ = false;
    bool blinkOn_ = false;
    bool eightBitBus_ = true;
    bool twoLines_ = false;
    bool fontBit_ = false;
    bool nibblePending_ = false;
    uint8_t highNibble_ = 0;
    int shift_ = 0;  // 0..79; taken modulo the line length when read
    bool outOfRangeSeen_ = false;
};

}  // namespace panel
