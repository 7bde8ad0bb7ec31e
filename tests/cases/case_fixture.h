// What the tables of cases share: a fixture that starts each case as its side
// requires, the four outputs read into guarded buffers, the block's slots, and the
// texts the entries return.
#pragma once

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "bridge_tokens.h"
#include "vantrel_binding.h"

const std::string kDriverName = "Vantrel v1.0";
const std::string kRangeText = "Exception: Fehler bei Bereichspr\xFC" "fung";
// The start-up sequence as it reaches the bridge, waits left out.
const std::string kStartupInstructions = "i30 i30 i30 i30 i3c i8 i1 i6 ic";

inline std::string NotANumberText(const std::string& text) {
    return "Exception: '" + text + "' ist kein g\xFCltiger Integerwert";
}

// Calls `calculate` with four buffers of 100 bytes and returns the four outputs; a
// buffer written past its 81st byte reads "<wrote past 81 bytes>".
inline std::vector<std::string> GuardedOutputs(decltype(&CalculateEx) calculate) {
    char buffers[4][100];
    memset(buffers, 0x55, sizeof buffers);
    char* table[101] = {buffers[0], buffers[1], buffers[2], buffers[3]};
    calculate(table);
    std::vector<std::string> out;
    for (const auto& buffer : buffers) {
        bool past = false;
        for (int i = 81; i < 100; ++i) past = past || buffer[i] != 0x55;
        out.push_back(past ? "<wrote past 81 bytes>" : std::string(buffer, strnlen(buffer, 81)));
    }
    return out;
}

class BoundCase : public testing::Test {
protected:
    void SetUp() override {
        side::StartCase();
        ASSERT_TRUE(BindingComplete()) << "an entry or a bridge control could not be resolved";
    }
    void TearDown() override { side::EndCase(); }

    static const VantrelEntries& Entry() { return Vantrel().entry; }
    static const BridgeControls& Bridge() { return Vantrel().bridge; }
    // The bridge log since the last reset, waits left out.
    static std::string Stream() { return BridgeStreamTokens(Waits::Left); }
    static side::BlockBytes Block() {
        side::BlockBytes block{};
        EXPECT_TRUE(side::ReadBlock(&block)) << "no \"DisplayLines\" block";
        return block;
    }
    static std::string Slot(int k) {
        const side::BlockBytes block = Block();
        const uint8_t* slot = block.data() + k * side::kSlotSize;
        return std::string(reinterpret_cast<const char*>(slot + 1), slot[0] <= 80 ? slot[0] : 80);
    }
    // Every slot's length is at most 80; slots other than `mayChange` (-1: none) are
    // byte for byte as before.
    static void ExpectSlotsIntact(const side::BlockBytes& before, int mayChange, const std::string& label) {
        const side::BlockBytes after = Block();
        for (int slot = 0; slot < 4; ++slot) {
            const size_t at = static_cast<size_t>(slot) * side::kSlotSize;
            EXPECT_LE(after[at], 80) << label << " slot " << slot;
            if (slot == mayChange) continue;
            EXPECT_EQ(memcmp(&before[at], &after[at], side::kSlotSize), 0) << label << ": slot " << slot << " changed";
        }
    }
    // A started 20x4 panel whose rows read "row 1 text" to "row 4 text", and an
    // empty bridge log.
    static void StartWithFourRows() {
        ASSERT_EQ(InitReport("0"), kDriverName + " [ok 1]");
        for (uint8_t row = 1; row <= 4; ++row) {
            Entry().SetPosition(1, row);
            Entry().Write(("row " + std::to_string(row) + " text").c_str());
        }
        Bridge().Reset();
    }
    // Init with a 20x4 panel: its text, then " [ok N]" with the OK flag it left.
    static std::string InitReport(const char* parameter) {
        uint8_t ok = 0x77;
        const std::string text = Entry().Init(20, 4, parameter, &ok);
        return text + " [ok " + std::to_string(ok) + "]";
    }
};
