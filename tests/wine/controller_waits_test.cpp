// The controller waits of the real vantrel.dll, timed by the stand-in bridge's time
// stamps (the performance counter, which the DLL's waits are measured by too): every
// gap between transfers is at least the wait the instruction before it needs, with
// no slack below the figure, over long runs; and the DLL's timer is one handle,
// made on the first wait and never again. The start-up's own gaps are checked in
// driver_dll_test.cpp.
#include <gtest/gtest.h>

#include "open_handles.h"
#include "vantrel_dll.h"

namespace {

// What the controller needs after a transfer, in ms: 11 after the first function
// set of a start-up, 2 after clear display and after a set-address instruction,
// 1 after any other instruction, none after data, open or close.
int64_t RequiredWaitMs(const BridgeRecord& record, const BridgeRecord* previous) {
    if (record.kind != BridgeInstruction) return 0;
    if (record.byte == 0x30 && previous != nullptr && previous->kind == BridgeOpen) return 11;
    if (record.byte == 0x01 || record.byte >= 0x40) return 2;
    return 1;
}

// Checks every gap of the log since the last reset; the last record has no gap.
void ExpectEveryGapAtLeastItsWait() {
    const auto records = BridgeRecords();
    int failures = 0;
    for (size_t i = 0; i + 1 < records.size() && failures < 10; ++i) {
        const int64_t required = RequiredWaitMs(records[i], i > 0 ? &records[i - 1] : nullptr);
        const int64_t gap = records[i + 1].timeNs - records[i].timeNs;
        if (gap >= required * 1000000) continue;
        ++failures;
        ADD_FAILURE() << "record " << i << " (kind " << records[i].kind << ", byte 0x" << std::hex
                      << records[i].byte << std::dec << "): gap " << gap << " ns, needs " << required
                      << " ms";
    }
}

class ControllerWaits : public testing::Test {
protected:
    static VantrelDll& Dll() {
        static VantrelDll dll;
        return dll;
    }
    void SetUp() override {
        ASSERT_NE(Dll().module, nullptr) << "vantrel.dll not loaded: " << GetLastError();
        BridgeStubReset();
    }
    void TearDown() override { BridgeStubReset(); }
};

const uint8_t kPattern[8] = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};

}  // namespace

TEST_F(ControllerWaits, SetAddressInstructionsWaitTwoMillisecondsAndDataNone) {
    uint8_t ok = 0;
    Dll().Init(20, 4, "0", &ok);
    BridgeStubReset();
    for (int i = 0; i < 50; ++i) {
        Dll().SetPosition(1, 1);
        Dll().SetPosition(3, 4);
        Dll().Write("ab");
        Dll().CustomChar(1 + i % 8, kPattern);
    }
    Dll().SetPosition(1, 2);
    const std::string once = "i80 id6 d61 d62 i4";
    ASSERT_EQ(BridgeStream().substr(0, once.size()), once);
    ASSERT_EQ(BridgeRecords().size(), 50u * (2 + 2 + 9) + 1);
    ExpectEveryGapAtLeastItsWait();
}

TEST_F(ControllerWaits, EveryGapOfAThousandStartupsAndHandleCountFlat) {
    uint8_t ok = 0;
    Dll().Init(20, 4, "0", &ok);  // the first wait and the shared block are behind us
    const int before = OpenHandles();
    BridgeStubReset();
    for (int i = 0; i < 1000; ++i) {
        Dll().Init(20, 4, "0", &ok);
        ASSERT_EQ(ok, 1);
    }
    Dll().Done();
    EXPECT_EQ(OpenHandles(), before) << "no handle per start-up";
    ASSERT_EQ(BridgeRecords().size(), 1000u * 10 + 1);
    ExpectEveryGapAtLeastItsWait();
}

TEST_F(ControllerWaits, OneTimerMadeOnTheFirstWaitAndFlatOverTenThousandPositions) {
    // A copy under another name is a library instance of its own, with no timer yet.
    ASSERT_TRUE(CopyDll("vantrel_waits.dll"));
    const int beforeLoad = OpenHandles();
    VantrelDll copy("vantrel_waits.dll");
    ASSERT_NE(copy.module, nullptr);
    EXPECT_EQ(OpenHandles(), beforeLoad) << "nothing is made at load";
    copy.SetPosition(1, 1);
    EXPECT_EQ(OpenHandles(), beforeLoad + 1) << "the first wait makes the timer (Wine has one)";
    for (int i = 0; i < 10000; ++i) copy.SetPosition(1 + i % 20, 1 + i % 4);
    EXPECT_EQ(OpenHandles(), beforeLoad + 1) << "one timer, nothing per call";
    ASSERT_EQ(BridgeRecords().size(), 10001u);
    ExpectEveryGapAtLeastItsWait();
}
