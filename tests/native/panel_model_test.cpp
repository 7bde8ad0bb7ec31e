// The controller model and the panel view against the controller's documented
// behaviour: instruction/data sequences and the RAM, address counter and panel text
// they leave.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hd44780_model.h"
#include "panel_view.h"

namespace {

using panel::Hd44780Model;
using panel::PanelGeometry;
using panel::RamSelect;

// One bus write, or a string of data writes.
struct Op {
    enum Kind { Ins, Dat, Str } kind;
    uint8_t byte = 0;
    std::string text;
};
Op I(uint8_t b) { return {Op::Ins, b, {}}; }
Op D(uint8_t b) { return {Op::Dat, b, {}}; }
Op S(std::string text) { return {Op::Str, 0, std::move(text)}; }

void Feed(Hd44780Model& model, const std::vector<Op>& ops) {
    for (const Op& op : ops) {
        if (op.kind == Op::Ins) model.Instruction(op.byte);
        if (op.kind == Op::Dat) model.Data(op.byte);
        if (op.kind == Op::Str)
            for (const char c : op.text) model.Data(static_cast<uint8_t>(c));
    }
}

std::vector<Op> Then(std::vector<Op> first, const std::vector<Op>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The driver's start-up sequence: 8-bit, two lines, display off, clear, increment,
// display on with the cursor off.
const std::vector<Op> kStartUp = {I(0x30), I(0x30), I(0x30), I(0x30), I(0x3C), I(0x08), I(0x01), I(0x06), I(0x0C)};
// The same in one-line mode.
const std::vector<Op> kStartUpOneLine = {I(0x30), I(0x30), I(0x30), I(0x30), I(0x08), I(0x01), I(0x06), I(0x0C)};

// The panel rows as text; codes below 0x20 show as '?'.
std::vector<std::string> Rows(const Hd44780Model& model, PanelGeometry geometry) {
    std::vector<std::string> rows;
    for (const auto& codes : panel::VisibleCodes(model, geometry)) {
        std::string row;
        for (const uint8_t c : codes) row += c < 0x20 ? '?' : static_cast<char>(c);
        rows.push_back(row);
    }
    return rows;
}

constexpr PanelGeometry k16x2{16, 2};
constexpr PanelGeometry k20x4{20, 4};
constexpr PanelGeometry k16x4{16, 4};
constexpr PanelGeometry k8x1{8, 1};

struct SequenceCase {
    const char* name;
    std::vector<Op> ops;
    PanelGeometry geometry;
    std::vector<std::string> rows;
    uint8_t ac;
    RamSelect ram;
    std::vector<std::pair<uint8_t, uint8_t>> ddram;  // address, expected code
};

TEST(PanelModel, SequencesLeaveTheDocumentedRamCounterAndPanel) {
    const std::string blank16(16, ' ');
    const std::string blank20(20, ' ');
    const std::vector<SequenceCase> cases = {
        {"start-up leaves a cleared panel", kStartUp, k16x2, {blank16, blank16}, 0x00, RamSelect::Ddram, {}},
        {"text on both rows of a 16x2",
         Then(kStartUp, {S("Hello"), I(0xC0), S("World")}),
         k16x2,
         {"Hello           ", "World           "},
         0x45,
         RamSelect::Ddram,
         {{0x00, 'H'}, {0x40, 'W'}}},
        {"two-line mode steps from 0x27 to 0x40",
         Then(kStartUp, {I(0x80 | 0x26), S("ABC")}),
         k16x2,
         {blank16, "C               "},
         0x41,
         RamSelect::Ddram,
         {{0x26, 'A'}, {0x27, 'B'}, {0x40, 'C'}}},
        {"two-line mode steps from 0x67 to 0x00",
         Then(kStartUp, {I(0x80 | 0x66), S("XYZ")}),
         k16x2,
         {"Z               ", blank16},
         0x01,
         RamSelect::Ddram,
         {{0x66, 'X'}, {0x67, 'Y'}, {0x00, 'Z'}}},
        {"one-line mode is contiguous through 0x28",
         Then(kStartUpOneLine, {I(0x80 | 0x26), S("ABC")}),
         k8x1,
         {"        "},
         0x29,
         RamSelect::Ddram,
         {{0x26, 'A'}, {0x27, 'B'}, {0x28, 'C'}}},
        {"one-line mode steps from 0x4F to 0x00",
         Then(kStartUpOneLine, {I(0x80 | 0x4E), S("XYZ")}),
         k8x1,
         {"Z       "},
         0x01,
         RamSelect::Ddram,
         {{0x4E, 'X'}, {0x4F, 'Y'}, {0x00, 'Z'}}},
        {"one-line mode leaves row 2 dark",
         Then(kStartUpOneLine, {S("top"), I(0xC0), S("bottom")}),
         k16x2,
         {"top             ", blank16},
         0x46,
         RamSelect::Ddram,
         {{0x40, 'b'}}},
        {"decrement steps from 0x40 back to 0x27",
         Then(kStartUp, {I(0x04), I(0xC1), S("ABC")}),
         k16x2,
         {blank16, "BA              "},
         0x26,
         RamSelect::Ddram,
         {{0x41, 'A'}, {0x40, 'B'}, {0x27, 'C'}}},
        {"decrement steps from 0x00 back to 0x67",
         Then(kStartUp, {I(0x04), I(0x80), S("PQ")}),
         k16x2,
         {"P               ", blank16},
         0x66,
         RamSelect::Ddram,
         {{0x00, 'P'}, {0x67, 'Q'}}},
        {"one-line decrement steps from 0x00 back to 0x4F",
         Then(kStartUpOneLine, {I(0x04), I(0x80), S("PQ")}),
         k8x1,
         {"P       "},
         0x4E,
         RamSelect::Ddram,
         {{0x00, 'P'}, {0x4F, 'Q'}}},
        {"20x4: text past column 20 of row 1 continues on row 3",
         Then(kStartUp, {S("ABCDEFGHIJKLMNOPQRSTUVWX")}),
         k20x4,
         {"ABCDEFGHIJKLMNOPQRST", blank20, "UVWX                ", blank20},
         0x18,
         RamSelect::Ddram,
         {{0x14, 'U'}}},
        {"20x4: row 4 starts at 0x54",
         Then(kStartUp, {I(0x80 | 0x54), S("four"), I(0x80 | 0x40), S("two")}),
         k20x4,
         {blank20, "two                 ", blank20, "four                "},
         0x43,
         RamSelect::Ddram,
         {}},
        {"16x4: row 3 starts at 0x10, row 4 at 0x50",
         Then(kStartUp, {S("0123456789ABCDEFxyz"), I(0x80 | 0x50), S("last")}),
         k16x4,
         {"0123456789ABCDEF", blank16, "xyz             ", "last            "},
         0x54,
         RamSelect::Ddram,
         {}},
        {"addresses without cells drop writes but the counter moves on",
         Then(kStartUp, {I(0x80 | 0x3E), S("ABC"), I(0x80 | 0x68), S("D")}),
         k16x2,
         {blank16, "C               "},
         0x69,
         RamSelect::Ddram,
         {{0x40, 'C'}}},
        {"return home moves the counter to 0 and keeps DDRAM",
         Then(kStartUp, {S("abc"), I(0x02), S("X")}),
         k16x2,
         {"Xbc             ", blank16},
         0x01,
         RamSelect::Ddram,
         {}},
        {"cursor shift moves the counter and leaves RAM alone",
         Then(kStartUp, {S("abc"), I(0x10), I(0x10), S("X"), I(0x14), S("Y")}),
         k16x2,
         {"aXcY            ", blank16},
         0x04,
         RamSelect::Ddram,
         {}},
        {"cursor shift left from 0x40 steps back to 0x27",
         Then(kStartUp, {I(0xC0), I(0x10), S("Z")}),
         k16x2,
         {blank16, blank16},
         0x40,
         RamSelect::Ddram,
         {{0x27, 'Z'}}},
        {"display off blanks the panel but keeps DDRAM",
         Then(kStartUp, {S("hidden"), I(0x08)}),
         k16x2,
         {blank16, blank16},
         0x06,
         RamSelect::Ddram,
         {{0x00, 'h'}}},
    };
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        Hd44780Model model;
        Feed(model, c.ops);
        EXPECT_EQ(Rows(model, c.geometry), c.rows);
        EXPECT_EQ(model.AddressCounter(), c.ac);
        EXPECT_EQ(model.SelectedRam(), c.ram);
        for (const auto& [address, code] : c.ddram) EXPECT_EQ(model.DdramAt(address), code) << "address " << +address;
        EXPECT_FALSE(model.OutOfRangeAccessSeen());
    }
}

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

TEST(PanelView, RowStartsFollowTheControllerLines) {
    const struct {
        PanelGeometry geometry;
        std::vector<uint8_t> starts;
    } cases[] = {
        {{8, 1}, {0x00}},
        {{16, 2}, {0x00, 0x40}},
        {{40, 2}, {0x00, 0x40}},
        {{16, 4}, {0x00, 0x40, 0x10, 0x50}},
        {{20, 4}, {0x00, 0x40, 0x14, 0x54}},
    };
    for (const auto& c : cases) {
        for (int row = 0; row < c.geometry.rows; ++row)
            EXPECT_EQ(panel::RowStartAddress(c.geometry, row), c.starts[static_cast<std::size_t>(row)])
                << panel::GeometryName(c.geometry) << " row " << row;
    }
}

TEST(PanelView, CellAddressesCoverEachLineWithoutOverlap) {
    Hd44780Model model;
    Feed(model, kStartUp);
    // A 40x2 panel shows every cell of both lines once; a 20x4 the same 80 cells.
    for (const PanelGeometry g : {PanelGeometry{40, 2}, PanelGeometry{20, 4}}) {
        std::vector<int> seen(128, 0);
        for (int row = 0; row < g.rows; ++row)
            for (int column = 0; column < g.columns; ++column) ++seen[*panel::CellAddress(model, g, row, column)];
        for (int address = 0; address < 128; ++address) {
            const bool exists = address <= 0x27 || (address >= 0x40 && address <= 0x67);
            EXPECT_EQ(seen[static_cast<std::size_t>(address)], exists ? 1 : 0)
                << panel::GeometryName(g) << " address " << address;
        }
    }
    EXPECT_FALSE(panel::CellAddress(model, k16x2, 2, 0).has_value());
    EXPECT_FALSE(panel::CellAddress(model, k16x2, 0, 16).has_value());
}

TEST(PanelView, CursorShowsOnlyWhenOnAndVisible) {
    struct Case {
        const char* name;
        std::vector<Op> ops;
        PanelGeometry geometry;
        std::optional<panel::CursorCell> cursor;
    };
    const std::vector<Case> cases = {
        {"cursor off", {I(0xC5)}, k20x4, std::nullopt},
        {"underline", {I(0x0E), I(0xC5)}, k20x4, panel::CursorCell{1, 5, true, false}},
        {"blink only, on row 3", {I(0x0D), I(0x80 | 0x17)}, k20x4, panel::CursorCell{2, 3, false, true}},
        {"underline and blink, on row 4", {I(0x0F), I(0xD5)}, k20x4, panel::CursorCell{3, 1, true, true}},
        {"display off hides it", {I(0x0B), I(0x80)}, k20x4, std::nullopt},
        {"address without a cell", {I(0x0F), I(0x80 | 0x30)}, k20x4, std::nullopt},
        {"beyond the columns of a 16x2", {I(0x0F), I(0x80 | 0x27)}, k16x2, std::nullopt},
        {"shifted into view", {I(0x0F), I(0x80 | 0x27), I(0x1C)}, k16x2, panel::CursorCell{0, 0, true, true}},
        {"shifted out of view", {I(0x0F), I(0x80 | 0x00), I(0x18)}, k16x2, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Hd44780Model model;
        Feed(model, Then(kStartUp, c.ops));
        EXPECT_EQ(panel::VisibleCursor(model, c.geometry), c.cursor);
    }
}

TEST(PanelView, GeometryNames) {
    for (const PanelGeometry& g : panel::SupportedGeometries()) EXPECT_EQ(panel::ParseGeometry(panel::GeometryName(g)), g);
    EXPECT_EQ(panel::SupportedGeometries().size(), 12u);
    for (const char* bad : {"40x4", "20x", "x4", "20x4x", " 20x4", "20X4", "", "abc", "-8x1", "8x+1"})
        EXPECT_FALSE(panel::ParseGeometry(bad).has_value()) << bad;
}

// The code point of a UTF-8 string holding exactly one character; -1 otherwise.
long SingleCodePoint(const std::string& s) {
    const auto* u = reinterpret_cast<const unsigned char*>(s.data());
    if (s.size() == 1 && u[0] < 0x80) return u[0];
    if (s.size() == 2 && (u[0] & 0xE0) == 0xC0 && (u[1] & 0xC0) == 0x80) return ((u[0] & 0x1F) << 6) | (u[1] & 0x3F);
    if (s.size() == 3 && (u[0] & 0xF0) == 0xE0 && (u[1] & 0xC0) == 0x80 && (u[2] & 0xC0) == 0x80)
        return ((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F);
    return -1;
}

TEST(PanelRomCodes, A00CharactersAsUnicode) {
    const struct {
        uint8_t code;
        const char* text;
    } cases[] = {
        {0x20, " "}, {0x41, "A"}, {0x5B, "["}, {0x5C, "¥"}, {0x5D, "]"}, {0x7D, "}"}, {0x7E, "→"},
        {0x7F, "←"}, {0xA1, "｡"}, {0xB1, "ｱ"}, {0xDF, "ﾟ"}, {0xE0, "α"}, {0xE4, "μ"}, {0xE9, "⁻¹"},
        {0xEF, "ö"}, {0xF4, "Ω"}, {0xF7, "π"}, {0xFC, "円"}, {0xFD, "÷"}, {0xFF, "█"}, {0x00, ""},
        {0x0F, ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(panel::RomCodeToUtf8(c.code), c.text) << "code " << +c.code;

    for (int code = 0xA1; code <= 0xDF; ++code)
        EXPECT_EQ(SingleCodePoint(panel::RomCodeToUtf8(static_cast<uint8_t>(code))), 0xFF61 + (code - 0xA1))
            << "code " << code;
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<uint8_t>(code);
        const bool blank = (code >= 0x10 && code <= 0x1F) || (code >= 0x80 && code <= 0xA0) || code == 0xFE;
        ASSERT_NE(panel::RomCodeToUtf8(c), nullptr);
        if (blank) {
            EXPECT_STREQ(panel::RomCodeToUtf8(c), " ") << "code " << code;
        }
        if (code >= 0x20 && code <= 0x7D && code != 0x5C) {
            EXPECT_EQ(SingleCodePoint(panel::RomCodeToUtf8(c)), code);
        }
    }
}

}  // namespace
