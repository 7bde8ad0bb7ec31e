// The driver end to end through a controller model: what the entries send is
// replayed into an HD44780 model, and the test reads the panel as a person would
// see it, for every listed geometry.
#include <gtest/gtest.h>

#include <string>

#include "driver_fixture.h"
#include "entries.h"
#include "hd44780_model.h"
#include "panel_view.h"

namespace {

class PanelEndToEnd : public DriverTest {
protected:
    // Replays everything the bridge received since the last reset.
    void Replay() {
        for (const BridgeRecord& r : Records()) {
            if (r.kind == BridgeInstruction) model_.Instruction(static_cast<uint8_t>(r.byte));
            if (r.kind == BridgeData) model_.Data(static_cast<uint8_t>(r.byte));
        }
        ClearLog();
    }
    std::string Row(panel::PanelGeometry geometry, int row) {
        const auto codes = panel::VisibleCodes(model_, geometry);
        return std::string(codes[row].begin(), codes[row].end());
    }
    void Start(panel::PanelGeometry geometry) {
        uint8_t ok = 0;
        DISPLAYDLL_Init(static_cast<uint8_t>(geometry.columns), static_cast<uint8_t>(geometry.rows), "0", &ok);
        ASSERT_EQ(ok, 1);
        Replay();
    }

    panel::Hd44780Model model_;
};

}  // namespace

TEST_F(PanelEndToEnd, EveryGeometryShowsEachRowWhereItIsWritten) {
    for (const panel::PanelGeometry& geometry : panel::SupportedGeometries()) {
        const std::string name = std::to_string(geometry.columns) + "x" + std::to_string(geometry.rows);
        ResetDriver();
        model_.Reset();
        Start(geometry);
        EXPECT_TRUE(model_.DisplayOn()) << name;
        EXPECT_FALSE(model_.CursorOn()) << name;
        EXPECT_EQ(model_.AddressCounter(), 0) << name;
        for (int row = 0; row < geometry.rows; ++row) {
            EXPECT_EQ(Row(geometry, row), std::string(geometry.columns, ' ')) << name << " cleared";
        }
        for (int row = 0; row < geometry.rows; ++row) {
            // A text of a full row, its first and last characters marking the row.
            std::string text(geometry.columns, static_cast<char>('a' + row));
            text.front() = static_cast<char>('1' + row);
            text.back() = '|';
            DISPLAYDLL_SetPosition(1, static_cast<uint8_t>(row + 1));
            DISPLAYDLL_Write(text.c_str());
            Replay();
            EXPECT_EQ(Row(geometry, row), text) << name << " row " << row + 1;
        }
        // A position in the middle of the last row.
        DISPLAYDLL_SetPosition(3, static_cast<uint8_t>(geometry.rows));
        DISPLAYDLL_Write("#");
        Replay();
        EXPECT_EQ(Row(geometry, geometry.rows - 1)[2], '#') << name;
    }
}

TEST_F(PanelEndToEnd, ACustomCharacterShowsItsPatternAndAWriteRightAfterItLandsInCharacterMemory) {
    const panel::PanelGeometry geometry{20, 4};
    Start(geometry);
    const uint8_t bar[8] = {0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F};
    DISPLAYDLL_CustomChar(2, bar);  // pattern 2 is character code 1
    DISPLAYDLL_Write("zz");         // no position set: goes on into character memory
    Replay();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(model_.PatternRow(1, i), bar[i]) << i;
    EXPECT_EQ(model_.Cgram()[16], 'z') << "the Write filled pattern 2's first rows";
    EXPECT_EQ(model_.Cgram()[17], 'z');
    EXPECT_EQ(Row(geometry, 0), std::string(20, ' ')) << "nothing reached the display";

    DISPLAYDLL_SetPosition(5, 2);
    DISPLAYDLL_Write("\x01");
    Replay();
    EXPECT_EQ(static_cast<uint8_t>(Row(geometry, 1)[4]), 1);

    // Pattern numbers 9 to 32 fold back onto the eight patterns: 10 loads pattern 2 again.
    const uint8_t full[8] = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
    DISPLAYDLL_CustomChar(10, full);
    Replay();
    EXPECT_EQ(model_.PatternRow(1, 0), 0x1F);
}

TEST_F(PanelEndToEnd, TextLongerThanARowRunsOnWhereTheAddressCounterTakesIt) {
    const panel::PanelGeometry geometry{20, 4};
    Start(geometry);
    DISPLAYDLL_SetPosition(1, 1);
    DISPLAYDLL_Write("ABCDEFGHIJKLMNOPQRSTuvwxyz");
    Replay();
    EXPECT_EQ(Row(geometry, 0), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(Row(geometry, 2).substr(0, 6), "uvwxyz") << "past column 20 of row 1 comes row 3";
}

TEST_F(PanelEndToEnd, SixteenByFourKeepsItsOwnRowAddresses) {
    const panel::PanelGeometry geometry{16, 4};
    Start(geometry);
    DISPLAYDLL_SetPosition(1, 3);
    DISPLAYDLL_Write("third");
    DISPLAYDLL_SetPosition(1, 4);
    DISPLAYDLL_Write("fourth");
    Replay();
    EXPECT_EQ(Row(geometry, 2).substr(0, 5), "third");
    EXPECT_EQ(Row(geometry, 3).substr(0, 6), "fourth");
}
