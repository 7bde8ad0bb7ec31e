// The controller link: the exact byte stream and waits of every operation, and
// the geometry rules that turn (column, row) into display data addresses.
#include <gtest/gtest.h>

#include <string>

#include "driver_fixture.h"
#include "lcd.h"

namespace {

using LcdTest = DriverTest;

std::string StreamOf(void (*steps)()) {
    DriverTest::ClearLog();
    auto run = [&] { steps(); };
    const std::string message = RaisedMessage(run);
    return message.empty() ? DriverTest::Stream() : DriverTest::Stream() + " !" + message;
}

Text View(const char* s) {
    return TextFromCText(s);
}

}  // namespace

TEST_F(LcdTest, StreamsOfEachOperation) {
    const struct {
        void (*steps)();
        std::string stream;
    } cases[] = {
        {[] { LcdOpen(3); }, "open3"},
        {[] { LcdClose(0); }, "close0"},
        {[] { LcdCommand(0, 0x01); }, "i1 w1"},
        {[] { LcdInitController(0); }, kStartupStream},
        {[] { LcdSetDisplayAddress(0, 0x40); }, "ic0 w1 w1"},
        {[] { LcdSetDisplayAddress(0, 128); }, "i80 w1 w1"},
        {[] { LcdSetDisplayAddress(0, 255); }, "iff w1 w1"},
        {[] { LcdSetPatternAddress(0, 0); }, "i40 w1 w1"},
        {[] { LcdSetPatternAddress(0, 64); }, "i40 w1 w1"},
        {[] { LcdSetPatternAddress(0, 56); }, "i78 w1 w1"},
        {[] { LcdWriteText(0, View("Hi\xFC")); }, "d48 d69 dfc"},
        {[] { LcdWriteText(2, View("A")); }, "d41@2"},
        {[] { LcdWriteText(-1, View("")); }, ""},
        {[] {
             const uint8_t rows[8] = {1, 2, 3, 4, 5, 6, 7, 0x1F};
             LcdWritePattern(0, rows);
         },
         "d1 d2 d3 d4 d5 d6 d7 d1f"},
    };
    for (const auto& c : cases) EXPECT_EQ(StreamOf(c.steps), c.stream);
}

TEST_F(LcdTest, NegativeDeviceRaisesBeforeTheBridgeCallAndItsWait) {
    const std::string range = " !Fehler bei Bereichspr\xFC" "fung";
    EXPECT_EQ(StreamOf([] { LcdOpen(-1); }), range);
    EXPECT_EQ(StreamOf([] { LcdClose(-5); }), range);
    EXPECT_EQ(StreamOf([] { LcdCommand(-1, 0x30); }), range);
    EXPECT_EQ(StreamOf([] { LcdInitController(-1); }), range);
    EXPECT_EQ(StreamOf([] { LcdWriteText(INT32_MIN, View("abc")); }), range);
}

TEST_F(LcdTest, TextStreamSetsItsLengthCellOnceAndPassesItOn) {
    // A bridge that leaves 0 in the length cell: the first byte of a text is sent
    // with 1, every later one with what the bridge left; instructions always with 1.
    BridgeStubSetLengthAfterWrite(0);
    const std::string hundred(100, 'x');
    auto steps = [&] {
        LcdWriteText(0, View(hundred.c_str()));
        LcdCommand(0, 0x01);
        LcdCommand(0, 0x02);
    };
    ASSERT_EQ(RaisedMessage(steps), "");
    const auto records = Records();
    ASSERT_EQ(records.size(), 100u + 4u);
    EXPECT_EQ(records[0].lengthOnEntry, 1u);
    for (int i = 1; i < 100; ++i) ASSERT_EQ(records[i].lengthOnEntry, 0u) << i;
    EXPECT_EQ(records[100].lengthOnEntry, 1u);
    EXPECT_EQ(records[102].lengthOnEntry, 1u);
}

TEST_F(LcdTest, StartupGoesOnWhenEveryBridgeCallFails) {
    BridgeStubSetWriteResult(0);
    BridgeStubSetLengthAfterWrite(0);
    EXPECT_EQ(StreamOf([] { LcdInitController(0); }), kStartupStream);
}

TEST(LcdGeometry, ListsTwelvePairsAndNoOthers) {
    const struct {
        uint8_t columns, rows;
        GeometryCode code;
    } listed[] = {
        {8, 1, GeometryCode::Lcd8x1},   {16, 1, GeometryCode::Lcd16x1}, {20, 1, GeometryCode::Lcd20x1},
        {40, 1, GeometryCode::Lcd40x1}, {8, 2, GeometryCode::Lcd8x2},   {12, 2, GeometryCode::Lcd12x2},
        {16, 2, GeometryCode::Lcd16x2}, {20, 2, GeometryCode::Lcd20x2}, {24, 2, GeometryCode::Lcd24x2},
        {40, 2, GeometryCode::Lcd40x2}, {16, 4, GeometryCode::Lcd16x4}, {20, 4, GeometryCode::Lcd20x4},
    };
    int found = 0;
    for (int columns = 0; columns < 256; ++columns) {
        for (int rows = 0; rows < 256; ++rows) {
            GeometryCode code;
            if (!LcdGeometryCode(static_cast<uint8_t>(columns), static_cast<uint8_t>(rows), &code)) continue;
            ++found;
            bool expected = false;
            for (const auto& l : listed) {
                if (l.columns == columns && l.rows == rows) {
                    EXPECT_EQ(code, l.code);
                    expected = true;
                }
            }
            EXPECT_TRUE(expected) << columns << "x" << rows;
        }
    }
    EXPECT_EQ(found, 12);
}

TEST(LcdGeometry, RowBases) {
    for (int code = 0; code <= 12; ++code) {
        const auto g = static_cast<GeometryCode>(code);
        const bool is16x4 = g == GeometryCode::Lcd16x4, is20x4 = g == GeometryCode::Lcd20x4;
        EXPECT_EQ(LcdRowBase(1, g), 0x00);
        EXPECT_EQ(LcdRowBase(2, g), 0x40);
        EXPECT_EQ(LcdRowBase(3, g), is16x4 ? 0x10 : is20x4 ? 0x14 : 0x00) << code;
        EXPECT_EQ(LcdRowBase(4, g), is16x4 ? 0x50 : is20x4 ? 0x54 : 0x00) << code;
        EXPECT_EQ(LcdRowBase(0, g), 0x00);
        EXPECT_EQ(LcdRowBase(5, g), 0x00);
        EXPECT_EQ(LcdRowBase(255, g), 0x00);
    }
}

TEST(LcdGeometry, CellAddresses) {
    const struct {
        uint8_t column, row;
        GeometryCode code;
        int address;  // -1: range error
    } cases[] = {
        {1, 1, GeometryCode::Lcd8x1, 0x00},    {1, 2, GeometryCode::Lcd20x4, 0x40},
        {3, 4, GeometryCode::Lcd20x4, 0x56},   {5, 3, GeometryCode::Lcd16x4, 0x14},
        {1, 3, GeometryCode::Lcd20x4, 0x14},   {1, 3, GeometryCode::Lcd16x4, 0x10},
        {1, 3, GeometryCode::Lcd40x2, 0x00},   {0, 1, GeometryCode::Lcd20x4, -1},
        {0, 2, GeometryCode::Lcd20x4, 0x3F},   {65, 2, GeometryCode::Lcd20x4, 128},
        {192, 2, GeometryCode::Lcd20x4, 255},  {193, 2, GeometryCode::Lcd20x4, -1},
        {255, 1, GeometryCode::Lcd20x4, 254},  {173, 4, GeometryCode::Lcd20x4, -1},
        {172, 4, GeometryCode::Lcd20x4, 255},  {177, 4, GeometryCode::Lcd16x4, -1},
        {241, 3, GeometryCode::Lcd16x4, -1},   {237, 3, GeometryCode::Lcd20x4, -1},
        {10, 0, GeometryCode::Lcd20x4, 9},     {10, 7, GeometryCode::Lcd16x4, 9},
    };
    for (const auto& c : cases) {
        int address = -2;
        Error error;
        auto steps = [&] { address = LcdCellAddress(c.column, c.row, c.code); };
        if (RunGuarded(steps, &error)) {
            EXPECT_EQ(address, c.address) << int(c.column) << "," << int(c.row);
        } else {
            EXPECT_EQ(c.address, -1) << int(c.column) << "," << int(c.row);
            EXPECT_EQ(error.kind, ErrorKind::ERangeError);
        }
    }
}
