// The display-driver entries through the stand-in bridge: order of steps, driver
// state, failure texts, and the frames that keep every error away from the host.
#include <gtest/gtest.h>

#include <string.h>
#include <sys/mman.h>

#include <string>

#include "case_fixture.h"
#include "driver_fixture.h"
#include "entries.h"
#include "parse_cases.h"

namespace {

using DisplayEntries = DriverTest;

const std::string& kRange = kRangeText;
const auto NotANumber = NotANumberText;

}  // namespace

TEST_F(DisplayEntries, ConstantsNeedNoInitAndNeverChange) {
    for (int i = 0; i < 2; ++i) {
        EXPECT_STREQ(DISPLAYDLL_DriverName(), "Vantrel v1.0");
        EXPECT_STREQ(DISPLAYDLL_Usage(), "Usage: Enter CH341A Device No. (0 = default)");
        EXPECT_STREQ(DISPLAYDLL_DefaultParameters(), "0");
        EXPECT_EQ(DISPLAYDLL_ReadKey(), 0xFF00);
        DISPLAYDLL_SetBacklight(1);
        DISPLAYDLL_SetContrast(0xFFFFFFFF);
        DISPLAYDLL_SetBrightness(0);
        DISPLAYDLL_SetGPO(1, 2);
        DISPLAYDLL_SetFan(3, 4);
        DISPLAYDLL_Done();
    }
    EXPECT_EQ(Stream(), "close0 close0") << "only Done reaches the bridge";
}

// The stream of each device number: tests/cases/init_parameter_cases.cpp.
TEST_F(DisplayEntries, InitStoresTheDeviceNumberAndMapsTheBlock) {
    uint8_t ok = 7;
    EXPECT_STREQ(DISPLAYDLL_Init(20, 4, "  $1F", &ok), "Vantrel v1.0");
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Driver.DeviceIndex, 31);
    EXPECT_EQ(Stream().rfind("open31 i30@31 w1 w10 i30@31", 0), 0u) << Stream();
    EXPECT_NE(Driver.LineBlockView, nullptr);
    EXPECT_TRUE(Driver.LineBlockWritable);
}

// The texts themselves: tests/cases/init_parameter_cases.cpp, on both sides.
// Parameters from tests/cases/parse_cases.cpp.
TEST_F(DisplayEntries, AFailedInitKeepsTheStateOrStoresANegativeNumber) {
    for (const InitFailure& f : InitFailures()) {
        const std::string label = f.parameter ? f.parameter : "null";
        ResetDriver();
        Driver.DeviceIndex = 5;
        Driver.Geometry = GeometryCode::Lcd16x2;
        uint8_t ok = 1;
        DISPLAYDLL_Init(16, 4, f.parameter, &ok);
        if (f.range) {
            EXPECT_LT(Driver.DeviceIndex, 0) << label;
            EXPECT_EQ(Driver.Geometry, GeometryCode::Lcd16x4) << label << ": set before the device is opened";
        } else {
            EXPECT_EQ(Driver.DeviceIndex, 5) << label;
            EXPECT_EQ(Driver.Geometry, GeometryCode::Lcd16x2) << label << ": the geometry is not set";
        }
        EXPECT_EQ(Driver.LineBlockView, nullptr) << label;
    }
    // After a negative number, a position is neither sent nor recorded.
    DISPLAYDLL_SetPosition(1, 2);
    EXPECT_EQ(Driver.CurrentRow, 0);
}

TEST_F(DisplayEntries, FailureTextStaysUntilTheNextFailingInit) {
    uint8_t ok;
    const char* first = DISPLAYDLL_Init(20, 4, "abc", &ok);
    const std::string copy = first;
    DISPLAYDLL_Write("x");
    DISPLAYDLL_SetPosition(1, 1);
    EXPECT_STREQ(DISPLAYDLL_Init(20, 4, "0", &ok), "Vantrel v1.0");
    EXPECT_EQ(std::string(first), copy);
    DISPLAYDLL_Init(20, 4, "-7", &ok);
    EXPECT_EQ(std::string(first), kRange) << "storage is reused by the next failure";
}

TEST_F(DisplayEntries, FailureTextQuotesAVeryLongParameterWhole) {
    const std::string parameter(70000, 'k');
    uint8_t ok = 1;
    EXPECT_EQ(std::string(DISPLAYDLL_Init(20, 4, parameter.c_str(), &ok)), NotANumber(parameter));
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(std::string(DISPLAYDLL_Init(20, 4, "x", &ok)), NotANumber("x"));
}

TEST_F(DisplayEntries, InitSkipsANullOkFlagAndSurvivesABadOne) {
    EXPECT_STREQ(DISPLAYDLL_Init(20, 4, "0", nullptr), "Vantrel v1.0");
    EXPECT_EQ(std::string(DISPLAYDLL_Init(20, 4, "?", nullptr)), NotANumber("?"));
    EXPECT_STREQ(DISPLAYDLL_Init(20, 4, "0", reinterpret_cast<uint8_t*>(UnmappedPage())), "Vantrel v1.0");
}

TEST_F(DisplayEntries, InitReportsAnUnreadableParameterAsAnAccessViolation) {
    uint8_t ok = 1;
    const std::string text = DISPLAYDLL_Init(20, 4, UnmappedPage(), &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(text.rfind("Exception: Zugriffsverletzung bei Adresse ", 0), 0u) << text;
    EXPECT_NE(text.find(". Lesen von Adresse "), std::string::npos) << text;
    EXPECT_EQ(Stream(), "");
}

TEST_F(DisplayEntries, InitReportsAFaultInsideTheBridge) {
    BridgeStubFailOn(3, 1);  // the second instruction of the start-up sequence
    uint8_t ok = 1;
    const std::string text = DISPLAYDLL_Init(20, 4, "0", &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(text.rfind("Exception: Zugriffsverletzung bei Adresse ", 0), 0u) << text;
    EXPECT_NE(text.find("Schreiben von Adresse 00000000"), std::string::npos) << text;
    EXPECT_EQ(Stream(), "open0 i30 w1 w10 i30") << "the steps end at the fault";
    EXPECT_EQ(Driver.LineBlockView, nullptr);
}

TEST_F(DisplayEntries, InitKeepsTheLookedUpGeometry) {
    const struct {
        uint8_t columns, rows;
        GeometryCode code;
    } cases[] = {
        {16, 4, GeometryCode::Lcd16x4}, {40, 2, GeometryCode::Lcd40x2},
        {12, 4, GeometryCode::Lcd40x2},  // unlisted: keeps what was stored
        {20, 0, GeometryCode::Lcd40x2},  {8, 1, GeometryCode::Lcd8x1},
    };
    for (const auto& c : cases) {
        uint8_t ok = 0;
        DISPLAYDLL_Init(c.columns, c.rows, "0", &ok);
        EXPECT_EQ(ok, 1);
        EXPECT_EQ(Driver.Geometry, c.code) << int(c.columns) << "x" << int(c.rows);
    }
    // After Init(16, 4), cell (5, 3) is 0x14.
    DISPLAYDLL_Init(16, 4, "0", nullptr);
    ClearLog();
    DISPLAYDLL_SetPosition(5, 3);
    EXPECT_EQ(Stream(), "i94 w1 w1");
}

TEST_F(DisplayEntries, SetPositionSendsTheCellAddressThenRecordsTheRow) {
    const struct {
        uint8_t x, y;
        std::string stream;
        int32_t row;  // CurrentRow afterwards, starting from 2
    } cases[] = {
        {1, 1, "i80 w1 w1", 0},    {1, 2, "ic0 w1 w1", 1},   {3, 4, "id6 w1 w1", 3},
        {0, 1, "", 2},             {0, 2, "ibf w1 w1", 1},   {65, 2, "i80 w1 w1", 1},
        {192, 2, "iff w1 w1", 1},  {193, 2, "", 2},          {1, 0, "i80 w1 w1", -1},
        {1, 5, "i80 w1 w1", 4},    {4, 255, "i83 w1 w1", 254},
    };
    for (const auto& c : cases) {
        Driver.CurrentRow = 2;
        ClearLog();
        DISPLAYDLL_SetPosition(c.x, c.y);
        EXPECT_EQ(Stream(), c.stream) << int(c.x) << "," << int(c.y);
        EXPECT_EQ(Driver.CurrentRow, c.row) << int(c.x) << "," << int(c.y);
    }
}

TEST_F(DisplayEntries, WriteSendsEveryCharacterUnchanged) {
    const std::string long_text(300, 'a');
    std::string expected;
    for (size_t i = 0; i < long_text.size(); ++i) expected += i ? " d61" : "d61";
    DISPLAYDLL_Write(long_text.c_str());
    EXPECT_EQ(Stream(), expected);
    ClearLog();
    DISPLAYDLL_Write("\x01\x7f\xff");
    EXPECT_EQ(Stream(), "d1 d7f dff");
    ClearLog();
    DISPLAYDLL_Write("");
    DISPLAYDLL_Write(nullptr);
    EXPECT_EQ(Stream(), "");
}

TEST_F(DisplayEntries, WriteAndSetPositionAbsorbFaults) {
    DISPLAYDLL_Write(UnmappedPage());
    EXPECT_EQ(Stream(), "");
    // A text whose terminator lies beyond the end of readable memory: the bytes
    // before the fault are never sent because the text is measured first.
    char* page = static_cast<char*>(mmap(nullptr, 8192, PROT_READ | PROT_WRITE,
                                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(page, MAP_FAILED);
    ASSERT_EQ(mprotect(page + 4096, 4096, PROT_NONE), 0);
    memset(page, 'q', 4096);
    DISPLAYDLL_Write(page + 4090);
    EXPECT_EQ(Stream(), "");

    BridgeStubFailOn(2, 1);
    DISPLAYDLL_Write("abc");
    EXPECT_EQ(Stream(), "d61 d62") << "the fault ends the entry after the second byte";
    ClearLog();
    BridgeStubFailOn(1, 2);
    Driver.CurrentRow = 3;
    DISPLAYDLL_SetPosition(1, 1);
    EXPECT_EQ(Driver.CurrentRow, 3);
    munmap(page, 8192);
}

TEST_F(DisplayEntries, CustomCharLoadsPatternsOneToThirtyTwo) {
    const uint8_t pattern[8] = {0x1F, 0x11, 0x0A, 0x04, 0x04, 0x0A, 0x11, 0x1F};
    const std::string rows = " d1f d11 da d4 d4 da d11 d1f";
    const struct {
        uint8_t number;
        std::string stream;
    } cases[] = {
        {1, "i40 w1 w1" + rows},  {2, "i48 w1 w1" + rows},  {8, "i78 w1 w1" + rows},
        {9, "i40 w1 w1" + rows},  {32, "i78 w1 w1" + rows}, {0, ""},
        {33, ""},                 {255, ""},
    };
    for (const auto& c : cases) {
        ClearLog();
        DISPLAYDLL_CustomChar(c.number, pattern);
        EXPECT_EQ(Stream(), c.stream) << int(c.number);
    }
    ClearLog();
    DISPLAYDLL_CustomChar(1, reinterpret_cast<const uint8_t*>(UnmappedPage()));
    DISPLAYDLL_CustomChar(1, nullptr);
    EXPECT_EQ(Stream(), "") << "an unreadable pattern sends nothing";
}

TEST_F(DisplayEntries, DoneClosesTheCurrentDeviceAndKeepsTheState) {
    uint8_t ok;
    DISPLAYDLL_Init(20, 4, "3", &ok);
    DISPLAYDLL_Init(20, 4, "5", &ok);
    DISPLAYDLL_SetPosition(1, 3);
    ClearLog();
    DISPLAYDLL_Done();
    EXPECT_EQ(Stream(), "close5");
    EXPECT_EQ(Driver.DeviceIndex, 5);
    EXPECT_EQ(Driver.CurrentRow, 2);
    EXPECT_NE(Driver.LineBlockView, nullptr);
    ClearLog();
    DISPLAYDLL_Write("z");
    EXPECT_EQ(Stream(), "d7a@5") << "entries after Done go on calling the bridge";
}
