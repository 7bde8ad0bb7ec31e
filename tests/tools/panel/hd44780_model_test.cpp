// The controller model's single behaviours: reset, clear, CGRAM, display shift,
// the 4-bit bus, and any bytes kept inside the RAM.
#include <optional>

#include "panel_test_support.h"

namespace {

TEST(PanelModel, StartUpSequenceResetsWhateverCameBefore) {
    Hd44780Model model;
    // Leave the controller in an untidy state first: text, decrement with shift,
    // display shifted, cursor blinking, CGRAM selected.
    Feed(model, {I(0x38), I(0x0F), S("junk"), I(0x05), S("more"), I(0x18), I(0x1C), I(0x1C), I(0x44)});
    Feed(model, kStartUp);

    EXPECT_TRUE(model.DisplayOn());
    EXPECT_FALSE(model.CursorOn());
    EXPECT_FALSE(model.BlinkOn());
    EXPECT_TRUE(model.EightBitBus());
    EXPECT_TRUE(model.TwoLines());
    EXPECT_FALSE(model.Font5x10()) << "F is ignored in two-line mode";
    EXPECT_TRUE(model.Increment());
    EXPECT_FALSE(model.ShiftOnWrite());
    EXPECT_EQ(model.DisplayShift(), 0);
    EXPECT_EQ(model.AddressCounter(), 0);
    EXPECT_EQ(model.SelectedRam(), RamSelect::Ddram);
    for (const uint8_t cell : model.DdramCells()) EXPECT_EQ(cell, 0x20);
    EXPECT_FALSE(panel::VisibleCursor(model, k16x2).has_value());
}

TEST(PanelModel, PowerOnStateIsTheInternalReset) {
    const Hd44780Model model;
    EXPECT_FALSE(model.DisplayOn());
    EXPECT_TRUE(model.EightBitBus());
    EXPECT_FALSE(model.TwoLines());
    EXPECT_TRUE(model.Increment());
    EXPECT_FALSE(model.ShiftOnWrite());
    EXPECT_EQ(model.AddressCounter(), 0);
    EXPECT_EQ(model.SelectedRam(), RamSelect::Ddram);
    for (const uint8_t cell : model.DdramCells()) EXPECT_EQ(cell, 0x20);
}

TEST(PanelModel, ClearDisplaySetsIncrementButKeepsTheShiftFlag) {
    Hd44780Model model;
    Feed(model, Then(kStartUp, {I(0x05), S("ab"), I(0x01)}));
    EXPECT_TRUE(model.Increment());
    EXPECT_TRUE(model.ShiftOnWrite());
    EXPECT_EQ(model.DisplayShift(), 0);
    EXPECT_EQ(model.AddressCounter(), 0);
}

TEST(PanelModel, CgramWrapsAt64) {
    Hd44780Model model;
    Feed(model, Then(kStartUp, {I(0x40 | 0x3E), D(0x11), D(0x12), D(0x13)}));
    EXPECT_EQ(model.Cgram()[0x3E], 0x11);
    EXPECT_EQ(model.Cgram()[0x3F], 0x12);
    EXPECT_EQ(model.Cgram()[0x00], 0x13);
    EXPECT_EQ(model.AddressCounter(), 0x01);
    EXPECT_EQ(model.SelectedRam(), RamSelect::Cgram);

    Feed(model, {I(0x04), I(0x40), D(0x0A), D(0x0B)});  // decrementing wraps back to 0x3F
    EXPECT_EQ(model.Cgram()[0x00], 0x0A);
    EXPECT_EQ(model.Cgram()[0x3F], 0x0B);
    EXPECT_EQ(model.AddressCounter(), 0x3E);
}

TEST(PanelModel, DataGoToCgramUntilADdramAddressIsSet) {
    Hd44780Model model;
    // Instructions that do not set an address keep data going to CGRAM.
    Feed(model, Then(kStartUp, {I(0x48), D(0x01), D(0x02), I(0x0E), I(0x06), I(0x3C), I(0x18), D(0x03)}));
    EXPECT_EQ(model.SelectedRam(), RamSelect::Cgram);
    EXPECT_EQ(model.Cgram()[8], 0x01);
    EXPECT_EQ(model.Cgram()[9], 0x02);
    EXPECT_EQ(model.Cgram()[10], 0x03);
    for (const uint8_t cell : model.DdramCells()) EXPECT_EQ(cell, 0x20);
    EXPECT_FALSE(panel::VisibleCursor(model, k16x2).has_value()) << "no cursor while CGRAM is addressed";

    Feed(model, {I(0x80), S("A")});
    EXPECT_EQ(model.SelectedRam(), RamSelect::Ddram);
    EXPECT_EQ(model.DdramAt(0x00), 'A');
    EXPECT_EQ(model.Cgram()[11], 0x00);
}

TEST(PanelModel, CgramCodesShowPatternCodeAnd7) {
    Hd44780Model model;
    Feed(model, Then(kStartUp, {I(0x40 | 3 * 8), D(0x1F), D(0xEA), I(0x80), D(0x03), D(0x0B)}));
    for (const uint8_t code : {uint8_t{0x03}, uint8_t{0x0B}}) {
        EXPECT_EQ(model.PatternRow(code, 0), 0x1F);
        EXPECT_EQ(model.PatternRow(code, 1), 0x0A) << "only bits 4..0 are dots";
    }
    EXPECT_EQ(panel::VisibleCodes(model, k16x2)[0][1], 0x0B);
}

TEST(PanelModel, DisplayShiftMovesBothLinesAndWrapsWithinEachLine) {
    Hd44780Model model;
    // Line 1 holds 40 characters, line 2 the same letters in lower case.
    const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%";
    std::string lower = upper;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Feed(model, Then(kStartUp, {S(upper), S(lower), I(0x80 | 0x05)}));
    ASSERT_EQ(model.AddressCounter(), 0x05);

    Feed(model, {I(0x18), I(0x18)});  // display shift left twice
    EXPECT_EQ(model.DisplayShift(), 2);
    EXPECT_EQ(Rows(model, k16x2), (std::vector<std::string>{"CDEFGHIJKLMNOPQR", "cdefghijklmnopqr"}));
    EXPECT_EQ(model.AddressCounter(), 0x05) << "a display shift leaves the counter alone";

    Feed(model, {I(0x1C), I(0x1C), I(0x1C)});  // three right: the window starts at cell 39
    EXPECT_EQ(model.DisplayShift(), 39);
    EXPECT_EQ(Rows(model, k16x2), (std::vector<std::string>{"%ABCDEFGHIJKLMNO", "%abcdefghijklmno"}));

    // On a 20x4, rows 3 and 4 are the rest of the same lines and move with them.
    EXPECT_EQ(Rows(model, k20x4)[2], "TUVWXYZ0123456789!#$");
    EXPECT_EQ(Rows(model, k20x4)[3], "tuvwxyz0123456789!#$");

    Feed(model, {I(0x02)});
    EXPECT_EQ(model.DisplayShift(), 0) << "return home undoes the shift";
    EXPECT_EQ(Rows(model, k16x2)[0], "ABCDEFGHIJKLMNOP");
}

TEST(PanelModel, OneLineModeShiftWrapsOver80Cells) {
    Hd44780Model model;
    Feed(model, Then(kStartUpOneLine, {I(0x80 | 0x4F), S("Z"), I(0x80), S("abc"), I(0x1C)}));
    EXPECT_EQ(model.DisplayShift(), 79);
    EXPECT_EQ(Rows(model, k8x1)[0], "Zabc    ");
}

TEST(PanelModel, EntryModeShiftKeepsTheCursorInPlace) {
    Hd44780Model model;
    Feed(model, Then(kStartUp, {I(0x0E), I(0x80 | 0x03), I(0x07), S("AB")}));
    EXPECT_EQ(model.AddressCounter(), 0x05);
    EXPECT_EQ(model.DisplayShift(), 2);
    EXPECT_EQ(panel::VisibleCursor(model, k16x2), (panel::CursorCell{0, 3, true, false}));
    EXPECT_EQ(Rows(model, k16x2)[0], " AB             ");

    // Decrementing with shift moves the display the other way.
    Feed(model, {I(0x05), S("C")});
    EXPECT_EQ(model.DisplayShift(), 1);

    // CGRAM writes never shift the display.
    Feed(model, {I(0x40), D(0x1F), D(0x1F)});
    EXPECT_EQ(model.DisplayShift(), 1);
}

TEST(PanelModel, FourBitBusTakesTwoWritesPerByteAndStartUpRecovers) {
    Hd44780Model model;
    Feed(model, Then(kStartUp, {I(0x20)}));  // 8-bit write of "function set, 4-bit"
    EXPECT_FALSE(model.EightBitBus());

    // 0x28 as two nibbles: function set, 4-bit, two lines. Then 'A' at 0x41.
    Feed(model, {I(0x20), I(0x80), I(0xC0), I(0x10), D(0x40), D(0x10)});
    EXPECT_FALSE(model.EightBitBus());
    EXPECT_TRUE(model.TwoLines());
    EXPECT_EQ(model.DdramAt(0x41), 'A');
    EXPECT_EQ(model.AddressCounter(), 0x42);

    // Three 0x30 writes return to 8 bits from either nibble phase.
    for (const bool halfway : {false, true}) {
        SCOPED_TRACE(halfway ? "a high nibble pending" : "between bytes");
        Hd44780Model fresh;
        Feed(fresh, Then(kStartUp, {I(0x28)}));
        ASSERT_FALSE(fresh.EightBitBus());
        if (halfway) Feed(fresh, {I(0x80)});
        EXPECT_EQ(fresh.NibblePending(), halfway);
        Feed(fresh, {I(0x30), I(0x30), I(0x30), I(0x3C), I(0x80 | 0x10), S("ok")});
        EXPECT_TRUE(fresh.EightBitBus());
        EXPECT_FALSE(fresh.NibblePending());
        EXPECT_EQ(fresh.DdramAt(0x10), 'o');
        EXPECT_EQ(fresh.DdramAt(0x11), 'k');
    }
}

TEST(PanelModel, ArbitraryBytesNeverIndexOutsideTheRam) {
    // A fixed pseudo-random stream of instruction and data writes.
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<uint8_t>(state >> 16);
    };
    Hd44780Model model;
    for (int i = 0; i < 200000; ++i) {
        const uint8_t byte = next();
        if (next() & 1)
            model.Data(byte);
        else
            model.Instruction(byte);
        ASSERT_LT(model.AddressCounter(), 0x80);
        if (model.SelectedRam() == RamSelect::Cgram) {
            ASSERT_LT(model.AddressCounter(), 0x40);
        }
        ASSERT_GE(model.DisplayShift(), 0);
        ASSERT_LT(model.DisplayShift(), model.LineLength());
        if (i % 1000 == 0) {
            for (const PanelGeometry& g : panel::SupportedGeometries()) {
                const auto codes = panel::VisibleCodes(model, g);
                ASSERT_EQ(codes.size(), static_cast<std::size_t>(g.rows));
                for (const auto& row : codes) ASSERT_EQ(row.size(), static_cast<std::size_t>(g.columns));
                if (const auto cursor = panel::VisibleCursor(model, g)) {
                    ASSERT_LT(cursor->row, g.rows);
                    ASSERT_LT(cursor->column, g.columns);
                }
            }
        }
    }
    EXPECT_FALSE(model.OutOfRangeAccessSeen());
}

}  // namespace
