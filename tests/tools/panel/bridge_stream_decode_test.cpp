// Replaying and decoding recorded bridge streams: readable lines, busy writes,
// several devices, the 4-bit protocol, instruction names.
#include "bridge_stream.h"

#include "panel_test_support.h"

namespace {

using panel::StreamKind;
using panel::StreamRecord;

// A hand-made recording: start-up, text with characters that need escaping, a
// pattern upload, odd write lengths, and an instruction sent before a clear display
// could have finished.
const char* const kHandMadeStream =
    "1 0 0 0 1000000\n"
    "3 0 56 1 1100000\n"
    "5 0 5 0 1100000\n"
    "3 0 1 1 1200000\n"
    "3 0 6 1 1500000\n"
    "5 0 2 0 1500000\n"
    "4 0 72 1 1600000\n"
    "4 0 105 1 1610000\n"
    "4 0 34 1 1620000\n"
    "4 0 92 1 1630000\n"
    "4 0 1 1 1640000\n"
    "3 0 72 1 1700000\n"
    "4 0 31 1 1710000\n"
    "4 0 17 1 1720000\n"
    "3 0 192 1 1800000\n"
    "4 0 65 3 1810000\n"
    "4 0 66 0 1820000\n"
    "4 0 67 1 1830000\n"
    "2 0 0 0 2000000\n";

TEST(PanelStream, DecodesAHandMadeStream) {
    std::vector<StreamRecord> records;
    ASSERT_TRUE(panel::ParseStream(kHandMadeStream, &records));
    const std::vector<std::string> expected = {
        "    +0.000 ms  open device 0",
        "    +0.100 ms  function set: 8-bit, 2 lines, 5x8",
        "    +0.000 ms  wait 5 ms",
        "    +0.100 ms  clear display",
        "    +0.300 ms  entry mode: increment, no shift [busy: 0.300 ms after clear display, which takes 1.520 ms]",
        "    +0.000 ms  wait 2 ms",
        R"(    +0.100 ms  data "Hi\"\\\x01")",
        "    +0.060 ms  set CGRAM address 0x08 (pattern 1, row 0)",
        R"(    +0.010 ms  CGRAM data "\x1F\x11")",
        "    +0.080 ms  set DDRAM address 0x40",
        R"(    +0.010 ms  data "A" (length 3, first byte recorded only))",
        "    +0.010 ms  data write of length 0 (nothing sent)",
        R"(    +0.010 ms  data "C")",
        "    +0.170 ms  close device 0",
    };
    EXPECT_EQ(panel::DecodeStream(records), expected);
}

TEST(PanelStream, ReplayFeedsTheWritesThatReachedTheBus) {
    std::vector<StreamRecord> records;
    ASSERT_TRUE(panel::ParseStream(kHandMadeStream, &records));
    Hd44780Model model;
    EXPECT_EQ(panel::Replay(records, model), 14u);
    EXPECT_EQ(model.DdramAt(0x00), 'H');
    EXPECT_EQ(model.DdramAt(0x04), 0x01);
    EXPECT_EQ(model.Cgram()[8], 0x1F);
    EXPECT_EQ(model.Cgram()[9], 0x11);
    EXPECT_EQ(model.DdramAt(0x40), 'A');
    EXPECT_EQ(model.DdramAt(0x41), 'C') << "the write of length 0 sent nothing";
    EXPECT_EQ(model.AddressCounter(), 0x42);
}

TEST(PanelStream, SeveralDevicesAreKeptApart) {
    const std::string text =
        "3 1 56 1 0\n"
        "3 2 56 1 0\n"
        "4 1 65 1 0\n"
        "4 2 66 1 0\n"
        "4 1 67 1 0\n";
    std::vector<StreamRecord> records;
    ASSERT_TRUE(panel::ParseStream(text, &records));
    EXPECT_EQ(panel::DevicesWithWrites(records), (std::vector<uint32_t>{1, 2}));

    Hd44780Model one;
    EXPECT_EQ(panel::Replay(records, one, 1u), 3u);
    EXPECT_EQ(one.DdramAt(0x00), 'A');
    EXPECT_EQ(one.DdramAt(0x01), 'C');

    const std::vector<std::string> expected = {
        "    +0.000 ms  [device 1] function set: 8-bit, 2 lines, 5x8",
        "    +0.000 ms  [device 2] function set: 8-bit, 2 lines, 5x8",
        R"(    +0.000 ms  [device 1] data "A")",
        R"(    +0.000 ms  [device 2] data "B")",
        R"(    +0.000 ms  [device 1] data "C")",
    };
    EXPECT_EQ(panel::DecodeStream(records), expected);
}

TEST(PanelStream, DecodesTheFourBitProtocolAsNibbles) {
    const std::string text =
        "3 0 32 1 0\n"     // 0x20 on the 8-bit bus: switch to 4 bits
        "3 0 32 1 0\n"     // high nibble 2
        "3 0 128 1 0\n"    // low nibble 8: 0x28
        "4 0 64 1 0\n"     // data high nibble 4
        "4 0 16 1 0\n"     // data low nibble 1: 'A'
        "3 0 0 1 0\n"      // high nibble 0
        "3 0 16 1 0\n";    // low nibble 1: clear display
    std::vector<StreamRecord> records;
    ASSERT_TRUE(panel::ParseStream(text, &records));
    const std::vector<std::string> expected = {
        "    +0.000 ms  function set: 4-bit, 1 line, 5x8 (4-bit bus from here: one nibble per write)",
        "    +0.000 ms  instruction high nibble 0x2 (4-bit bus)",
        "    +0.000 ms  function set: 4-bit, 2 lines, 5x8 (4-bit bus, low nibble 0x8)",
        "    +0.000 ms  data high nibble 0x4 (4-bit bus)",
        R"(    +0.000 ms  data "A" (4-bit bus, low nibble 0x1))",
        "    +0.000 ms  instruction high nibble 0x0 (4-bit bus)",
        "    +0.000 ms  clear display (4-bit bus, low nibble 0x1)",
    };
    EXPECT_EQ(panel::DecodeStream(records), expected);
}

TEST(PanelStream, InstructionNames) {
    const struct {
        uint8_t byte;
        const char* name;
    } cases[] = {
        {0x00, "no instruction (0x00)"},
        {0x01, "clear display"},
        {0x02, "return home"},
        {0x03, "return home"},
        {0x04, "entry mode: decrement, no shift"},
        {0x07, "entry mode: increment, display shift"},
        {0x08, "display control: display off, cursor off, blink off"},
        {0x0D, "display control: display on, cursor off, blink on"},
        {0x0E, "display control: display on, cursor on, blink off"},
        {0x10, "cursor shift left"},
        {0x14, "cursor shift right"},
        {0x18, "display shift left"},
        {0x1F, "display shift right"},
        {0x20, "function set: 4-bit, 1 line, 5x8"},
        {0x34, "function set: 8-bit, 1 line, 5x10"},
        {0x38, "function set: 8-bit, 2 lines, 5x8"},
        {0x3C, "function set: 8-bit, 2 lines, 5x8 (5x10 not available with 2 lines)"},
        {0x40, "set CGRAM address 0x00 (pattern 0, row 0)"},
        {0x7F, "set CGRAM address 0x3F (pattern 7, row 7)"},
        {0x80, "set DDRAM address 0x00"},
        {0xC0, "set DDRAM address 0x40"},
        {0xFF, "set DDRAM address 0x7F"},
    };
    for (const auto& c : cases) EXPECT_EQ(panel::InstructionName(c.byte), c.name) << "byte " << +c.byte;
}

}  // namespace
