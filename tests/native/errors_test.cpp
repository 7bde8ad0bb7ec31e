// Errors: checked arithmetic, the messages of every kind, and the guard frames that
// turn raised errors and operating-system faults into errors.
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "driver_fixture.h"
#include "errors.h"
#include "platform/platform.h"

TEST(CheckedArithmetic, RaisesOverflowAndRangeErrorsBeforeTheValueIsUsed) {
    const std::string overflow = "Integer\xFC" "berlauf";
    const std::string range = "Fehler bei Bereichspr\xFC" "fung";
    EXPECT_EQ(RaisedMessage([] { CheckedAdd(INT32_MAX, 1); }), overflow);
    EXPECT_EQ(RaisedMessage([] { CheckedSub(INT32_MIN, 1); }), overflow);
    EXPECT_EQ(RaisedMessage([] { CheckedMul(65536, 32768); }), overflow);
    EXPECT_EQ(RaisedMessage([] { NarrowToByte(-1); }), range);
    EXPECT_EQ(RaisedMessage([] { NarrowToByte(256); }), range);
    EXPECT_EQ(RaisedMessage([] { NarrowToUnsigned(-1); }), range);
    EXPECT_EQ(RaisedMessage([] { CheckIndex(4, 0, 3); }), range);
    EXPECT_EQ(RaisedMessage([] {
                  EXPECT_EQ(CheckedAdd(-1, 1), 0);
                  EXPECT_EQ(NarrowToByte(255), 255);
                  EXPECT_EQ(NarrowToUnsigned(0), 0u);
                  EXPECT_EQ(CheckedMul(3, 81), 243);
              }),
              "");
}

TEST(ErrorMessages, EveryFaultCodeHasItsKindAndMessage) {
    const struct {
        uint32_t code;
        const char* message;
    } cases[] = {
        {0xC000008C, "Fehler bei Bereichspr\xFC" "fung"},
        {0xC0000094, "Division durch Null"},
        {0xC0000095, "Integer\xFC" "berlauf"},
        {0xC000008F, "Ung\xFCltige Gleitkommaoperation"},
        {0xC0000090, "Ung\xFCltige Gleitkommaoperation"},
        {0xC0000092, "Ung\xFCltige Gleitkommaoperation"},
        {0xC000008E, "Gleitkommadivision durch Null"},
        {0xC0000091, "Gleitkomma\xFC" "berlauf"},
        {0xC000008D, "Gleitkommaunterlauf"},
        {0xC0000093, "Gleitkommaunterlauf"},
        {0xC0000096, "Privilegierte Anweisung"},
        {0xC00000FD, "Stack-\xDC" "berlauf"},
        {0xC000013A, "Strg+C gedr\xFC" "ckt"},
        {0xE0425247, "Externe Exception E0425247"},
        {0x0000ABCD, "Externe Exception ABCD"},
        {0x00000001, "Externe Exception 1"},
    };
    for (const auto& c : cases) {
        Error error;
        error.exceptionCode = c.code;
        error.kind = ErrorKindFromFaultCode(c.code);
        EXPECT_EQ(MessageOf(error), c.message) << std::hex << c.code;
    }
    Error memory;
    memory.kind = ErrorKind::EOutOfMemory;
    EXPECT_EQ(MessageOf(memory), "Zu wenig Arbeitsspeicher");
}

TEST(ErrorMessages, AccessViolationNamesModuleAccessAndAddresses) {
    Error error;
    error.kind = ErrorKind::EAccessViolation;
    error.faultAddress = reinterpret_cast<const void*>(0x1234);  // in no module
    error.accessAddress = reinterpret_cast<const void*>(0xABC);
    error.writeAccess = true;
    EXPECT_EQ(MessageOf(error), "Zugriffsverletzung bei Adresse 00001234. Schreiben von Adresse 00000ABC");

    // An address inside this test program names its file.
    error.faultAddress = reinterpret_cast<const void*>(&MessageOf);
    error.writeAccess = false;
    const std::string message = MessageOf(error);
    EXPECT_NE(message.find(" in Modul 'native_tests'. Lesen von Adresse 00000ABC"), std::string::npos)
        << message;
}

TEST(GuardFrames, CatchAFaultAndReportTheAccess) {
    volatile int* bad = reinterpret_cast<int*>(0x10);
    Error error;
    auto steps = [&] { *bad = 1; };
    ASSERT_FALSE(RunGuarded(steps, &error));
    EXPECT_EQ(error.kind, ErrorKind::EAccessViolation);
    EXPECT_EQ(error.accessAddress, reinterpret_cast<const void*>(0x10));
    EXPECT_TRUE(error.writeAccess);
    // The frame is gone afterwards and can be used again.
    auto read = [&] { (void)*bad; };
    ASSERT_FALSE(RunGuarded(read, &error));
    EXPECT_FALSE(error.writeAccess);
}

TEST(GuardFrames, NestedFramesEndOnlyTheInnermost) {
    Error outer_error, inner_error;
    bool inner_caught = false, outer_finished = false;
    auto outer = [&] {
        auto inner = [] { RaiseKind(ErrorKind::ERangeError); };
        inner_caught = !RunGuarded(inner, &inner_error);
        outer_finished = true;
    };
    EXPECT_TRUE(RunGuarded(outer, &outer_error));
    EXPECT_TRUE(inner_caught);
    EXPECT_TRUE(outer_finished);
    EXPECT_EQ(inner_error.kind, ErrorKind::ERangeError);
}

TEST(GuardFramesDeathTest, AFaultOutsideAnyFrameStillEndsTheProcess) {
    // Our handlers stay installed after the first frame; a fault outside a frame
    // must reach the previous action, not be swallowed.
    Error error;
    auto nothing = [] {};
    RunGuarded(nothing, &error);
    EXPECT_DEATH(
        {
            volatile int* bad = reinterpret_cast<int*>(0x10);
            *bad = 1;
        },
        "");
}
