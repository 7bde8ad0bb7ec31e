// The bridge stream decoder, on hand-made streams.
#include "bridge_decode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bridge_decode::decode;
using bridge_decode::instructionName;
using bridge_decode::parseStreamLine;
using bridge_decode::quote;

BridgeRecord rec(uint32_t kind, uint32_t byte, int64_t timeNs, uint32_t device = 0, uint32_t length = 1) {
    const bool write = kind == BridgeInstruction || kind == BridgeData;
    return BridgeRecord{kind, device, byte, write ? length : 0, timeNs};
}

// The text of each line without the leading time column.
std::vector<std::string> texts(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        const size_t column = line.find(" ms  ");
        out.push_back(column == std::string::npos ? line : line.substr(column + 5));
    }
    return out;
}

TEST(BridgeDecodeInstruction, NamesEveryInstructionGroup) {
    EXPECT_EQ(instructionName(0x38), "function set 8-bit, 2 lines, 5x8 dots");
    EXPECT_EQ(instructionName(0x30), "function set 8-bit, 1 line, 5x8 dots");
    EXPECT_EQ(instructionName(0x24), "function set 4-bit, 1 line, 5x10 dots");
    EXPECT_EQ(instructionName(0x08), "display off");
    EXPECT_EQ(instructionName(0x0C), "display on");
    EXPECT_EQ(instructionName(0x0F), "display on, cursor on, blink on");
    EXPECT_EQ(instructionName(0x09), "display off, blink on");
    EXPECT_EQ(instructionName(0x01), "clear display");
    EXPECT_EQ(instructionName(0x02), "return home");
    EXPECT_EQ(instructionName(0x03), "return home");
    EXPECT_EQ(instructionName(0x06), "entry mode increment");
    EXPECT_EQ(instructionName(0x05), "entry mode decrement, shift display");
    EXPECT_EQ(instructionName(0x10), "shift cursor left");
    EXPECT_EQ(instructionName(0x1C), "shift display right");
    EXPECT_EQ(instructionName(0x00), "no instruction (0x00)");
}

TEST(BridgeDecodeInstruction, AddressesKeepOnlyTheirAddressBits) {
    EXPECT_EQ(instructionName(0x80), "set DDRAM address 0x00");
    EXPECT_EQ(instructionName(0xC0), "set DDRAM address 0x40");
    EXPECT_EQ(instructionName(0xFF), "set DDRAM address 0x7F");
    EXPECT_EQ(instructionName(0x40), "set CGRAM address 0x00");
    EXPECT_EQ(instructionName(0x48), "set CGRAM address 0x08");
    EXPECT_EQ(instructionName(0x7F), "set CGRAM address 0x3F");
}

TEST(BridgeDecodeQuote, EscapesWhatIsNotPlainText) {
    EXPECT_EQ(quote("Vantrel v1.0"), "\"Vantrel v1.0\"");
    EXPECT_EQ(quote("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(quote(std::string("\x01 \x7F\xFF", 4)), "\"\\x01 \\x7F\\xFF\"");
    EXPECT_EQ(quote(std::string("\0", 1)), "\"\\x00\"");
    EXPECT_EQ(quote(""), "\"\"");
}

TEST(BridgeDecodeStream, DecodesASessionLineByLine) {
    const std::vector<BridgeRecord> stream = {
        rec(BridgeOpen, 0, 0),
        rec(BridgeInstruction, 0x38, 1000),
        rec(BridgeWait, 5, 2000),
        rec(BridgeInstruction, 0x80, 5002000),
        rec(BridgeData, 'H', 5003000),
        rec(BridgeData, 'i', 5004000),
        rec(BridgeData, '"', 5005000),
        rec(BridgeInstruction, 0x48, 5006000),
        rec(BridgeData, 0x00, 5007000),
        rec(BridgeData, 0x0A, 5008000),
        rec(BridgeData, 0x1F, 5009000),
        rec(BridgeInstruction, 0xC0, 5010000),
        rec(BridgeData, 0x01, 5011000),
        rec(BridgeClose, 0, 5012000),
    };
    const std::vector<std::string> expected = {
        "open device 0",
        "instr 0x38  function set 8-bit, 2 lines, 5x8 dots",
        "wait 5 ms",
        "instr 0x80  set DDRAM address 0x00",
        "data \"Hi\\\"\"  (3 bytes in 0.002 ms)",
        "instr 0x48  set CGRAM address 0x08",
        "cgram data 0x00 0x0A 0x1F  (3 bytes in 0.002 ms)",
        "instr 0xC0  set DDRAM address 0x40",
        "data \"\\x01\"",
        "close device 0",
    };
    EXPECT_EQ(texts(decode(stream)), expected);
}

TEST(BridgeDecodeStream, TimeColumnIsTheGapToThePreviousRecord) {
    const std::vector<BridgeRecord> stream = {
        rec(BridgeOpen, 0, 7000000),
        rec(BridgeData, 'a', 7500000),
        rec(BridgeData, 'b', 9000000),  // same run: its gap is not shown
        rec(BridgeWait, 15, 21250000),  // gap from 'b', the run's last record
    };
    const std::vector<std::string> lines = decode(stream);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "    +0.000 ms  open device 0");
    EXPECT_EQ(lines[1], "    +0.500 ms  data \"ab\"  (2 bytes in 1.500 ms)");
    EXPECT_EQ(lines[2], "   +12.250 ms  wait 15 ms");
}

TEST(BridgeDecodeStream, DataRunsBreakAtEveryOtherRecord) {
    const std::vector<BridgeRecord> stream = {
        rec(BridgeData, 'a', 0),
        rec(BridgeData, 'b', 0, 1),     // other device
        rec(BridgeData, 'c', 0, 1, 2),  // a two-byte write is shown on its own
        rec(BridgeData, 'd', 0, 1),
        rec(BridgeWait, 1, 0),
        rec(BridgeData, 'e', 0, 1),
        rec(BridgeInstruction, 0x0C, 0, 1, 0),
    };
    const std::vector<std::string> expected = {
        "data \"a\"",
        "data \"b\" [device 1]",
        "data \"c\" [device 1] (length 2)",
        "data \"d\" [device 1]",
        "wait 1 ms",
        "data \"e\" [device 1]",
        "instr 0x0C  display on [device 1] (length 0)",
    };
    EXPECT_EQ(texts(decode(stream)), expected);
}

TEST(BridgeDecodeStream, ClearAndHomeReturnDataToTheDisplay) {
    for (const uint32_t back : {0x01u, 0x02u, 0x80u}) {
        const std::vector<BridgeRecord> stream = {
            rec(BridgeInstruction, 0x40, 0),
            rec(BridgeData, 'x', 0),
            rec(BridgeInstruction, back, 0),
            rec(BridgeData, 'x', 0),
        };
        const std::vector<std::string> lines = texts(decode(stream));
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[1], "cgram data 0x78");
        EXPECT_EQ(lines[3], "data \"x\"") << "after instruction " << back;
    }
}

TEST(BridgeDecodeStream, EmptyAndUnknownRecords) {
    EXPECT_TRUE(decode({}).empty());
    EXPECT_EQ(texts(decode({BridgeRecord{9, 0, 0, 0, 0}})),
              std::vector<std::string>{"unknown record kind 9"});
}

TEST(BridgeDecodeStreamFile, ParsesWellFormedLines) {
    const auto r = parseStreamLine("4 2 65 1 123456789012\n");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->kind, 4u);
    EXPECT_EQ(r->device, 2u);
    EXPECT_EQ(r->byte, 65u);
    EXPECT_EQ(r->lengthOnEntry, 1u);
    EXPECT_EQ(r->timeNs, 123456789012);

    const auto windowsLine = parseStreamLine("5 0 15 0 -3\r\n");
    ASSERT_TRUE(windowsLine.has_value());
    EXPECT_EQ(windowsLine->timeNs, -3);
}

TEST(BridgeDecodeStreamFile, RejectsMalformedLines) {
    for (const char* line : {"", "4 2 65 1", "4 2 65 1 10 11", "4 2 65 1 10x", "4 -2 65 1 10", "a b c d e",
                             "4 2 4294967296 1 10"}) {
        EXPECT_FALSE(parseStreamLine(line).has_value()) << '"' << line << '"';
    }
}

}  // namespace
