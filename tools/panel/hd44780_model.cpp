#include "hd44780_model.h"

namespace panel {

namespace {

constexpr uint8_t kSpace = 0x20;
constexpr int kShiftPeriod = 80;  // a multiple of both line lengths (40 and 80)

}  // namespace

Hd44780Model::Hd44780Model() { Reset(); }

void Hd44780Model::Reset() {
    ddram_.fill(kSpace);
    cgram_.fill(0);
    ac_ = 0;
    ram_ = RamSelect::Ddram;
    increment_ = true;
    shiftOnWrite_ = false;
    displayOn_ = cursorOn_ = blinkOn_ = false;
    eightBitBus_ = true;
    twoLines_ = false;
    fontBit_ = false;
    nibblePending_ = false;
    highNibble_ = 0;
    shift_ = 0;
    outOfRangeSeen_ = false;
}

void Hd44780Model::Instruction(uint8_t byte) { Write(false, byte); }

void Hd44780Model::Data(uint8_t byte) { Write(true, byte); }

void Hd44780Model::Write(bool rs, uint8_t byte) {
    if (!eightBitBus_) {
        // 4-bit protocol: only DB7-DB4 carry anything; two writes make one byte.
        const uint8_t nibble = static_cast<uint8_t>(byte >> 4);
        if (!nibblePending_) {
            highNibble_ = nibble;
            nibblePending_ = true;
            return;
        }
        nibblePending_ = false;
        byte = static_cast<uint8_t>((highNibble_ << 4) | nibble);
    }
    if (rs)
        WriteData(byte);
    else
        Execute(byte);
}

std::optional<std::size_t> Hd44780Model::DdramIndex(uint8_t address, bool twoLines) {
    if (twoLines) {
        if (address <= 0x27) return address;
        if (address >= 0x40 && address <= 0x67) return static_cast<std::size_t>(address - 0x40 + 40);
        return std::nullopt;
    }
    if (address <= 0x4F) return address;
    return std::nullopt;
}

std::optional<uint8_t> Hd44780Model::DdramAt(uint8_t address) const {
    const auto index = DdramIndex(address, twoLines_);
    if (!index || *index >= ddram_.size()) return std::nullopt;
    return ddram_[*index];
}

uint8_t Hd44780Model::PatternRow(uint8_t code, int row) const {
    if (row < 0 || row > 7) return 0;
    const std::size_t index = static_cast<std::size_t>((code & 0x07) * 8 + row);
    if (index >= cgram_.size()) return 0;
    return static_cast<uint8_t>(cgram_[index] & 0x1F);
}

void Hd44780Model::StoreDdram(std::size_t index, uint8_t value) {
    if (index >= ddram_.size()) {
        outOfRangeSeen_ = true;
        return;
    }
    ddram_[index] = value;
}

void Hd44780Model::StoreCgram(std::size_t index, uint8_t value) {
    if (index >= cgram_.size()) {
        outOfRangeSeen_ = true;
        return;
    }
    cgram_[index] = value;
}

void Hd44780Model::Execute(uint8_t b) {
    if (b & 0x80) {  // set DDRAM address
        ac_ = b & 0x7F;
        ram_ = RamSelect::Ddram;
    } else if (b & 0x40) {  // set CGRAM address
        ac_ = b & 0x3F;
        ram_ = RamSelect::Cgram;
    } else if (b & 0x20) {  // function set
        eightBitBus_ = (b & 0x10) != 0;
        twoLines_ = (b & 0x08) != 0;
        fontBit_ = (b & 0x04) != 0;
        nibblePending_ = false;
        // AC keeps its value; an address that has no cell in the new line mode is
        // simply one where writes are dropped until AC moves on.
    } else if (b & 0x10) {  // cursor or display shift; RAM untouched
        const bool right = (b & 0x04) != 0;
        if (b & 0x08)
            ShiftDisplay(!right);
        else
            StepCounter(right);
    } else if (b & 0x08) {  // display on/off control
        displayOn_ = (b & 0x04) != 0;
        cursorOn_ = (b & 0x02) != 0;
        blinkOn_ = (b & 0x01) != 0;
    } else if (b & 0x04) {  // entry mode set
        increment_ = (b & 0x02) != 0;
        shiftOnWrite_ = (b & 0x01) != 0;
    } else if (b & 0x02) {  // return home
        ac_ = 0;
        ram_ = RamSelect::Ddram;
        shift_ = 0;
    } else if (b & 0x01) {  // clear display; S of the entry mode stays as it is
        ddram_.fill(kSpace);
        ac_ = 0;
        ram_ = RamSelect::Ddram;
        increment_ = true;
        shift_ = 0;
    }
    // 0x00 is no instruction: nothing happens.
}

void Hd44780Model::WriteData(uint8_t byte) {
    if (ram_ == RamSelect::Cgram) {
        StoreCgram(ac_ & 0x3F, byte);
        StepCounter(increment_);
        return;  // CGRAM writes never shift the display
    }
    if (const auto index = DdramIndex(ac_, twoLines_)) StoreDdram(*index, byte);
    StepCounter(increment_);
    // With S = 1 the display moves against the cursor, so the cursor seems to stay put.
    if (shiftOnWrite_) ShiftDisplay(increment_);
}

void Hd44780Model::StepCounter(bool up) {
    if (ram_ == RamSelect::Cgram) {
        ac_ = static_cast<uint8_t>((ac_ + (up ? 1 : 0x3F)) & 0x3F);
        return;
    }
    if (twoLines_) {
        if (up && ac_ == 0x27) {
            ac_ = 0x40;
            return;
        }
        if (up && ac_ == 0x67) {
            ac_ = 0x00;
            return;
        }
        if (!up && ac_ == 0x40) {
            ac_ = 0x27;
            return;
        }
        if (!up && ac_ == 0x00) {
            ac_ = 0x67;
            return;
        }
    } else {
        if (up && ac_ == 0x4F) {
            ac_ = 0x00;
            return;
        }
        if (!up && ac_ == 0x00) {
            ac_ = 0x4F;
            return;
        }
    }
    ac_ = static_cast<uint8_t>((ac_ + (up ? 1 : 0x7F)) & 0x7F);
}

void Hd44780Model::ShiftDisplay(bool left) {
    shift_ = (shift_ + (left ? 1 : kShiftPeriod - 1)) % kShiftPeriod;
}

}  // namespace panel
