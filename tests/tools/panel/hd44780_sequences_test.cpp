// The controller model against the controller's documented behaviour, as a table:
// instruction and data sequences and the RAM, address counter and panel text they leave.
#include "panel_test_support.h"

namespace {

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

}  // namespace
