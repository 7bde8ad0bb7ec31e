// A bridge that misbehaves, as tables: a fault injected at every bridge call of
// every entry that reaches the bridge (an access violation, and the bridge's own
// raised exception), and write calls that leave an odd length cell or report
// failure. Each case: the host survives, the entry ends at the fault, Init reports
// it with its OK flag at 0, and no slot of the block is corrupted.
#include <functional>
#include <iostream>

#include "case_fixture.h"

namespace {

class HardeningBridgeFaults : public BoundCase {
protected:
    void SetUp() override {
        BoundCase::SetUp();
        StartWithFourRows();
    }
};

}  // namespace

TEST_F(HardeningBridgeFaults, ABridgeThatFaultsOrRaisesOnAnyCall) {
    struct EntryCase {
        std::string label;
        std::function<void()> call;
        int calls;  // bridge calls the entry makes
    };
    const VantrelEntries& e = Entry();
    std::string initText;
    uint8_t ok = 0x77;
    const std::vector<EntryCase> entries = {
        {"Init", [&] { initText = e.Init(20, 4, "0", &ok); }, 10},
        {"SetPosition", [&] { e.SetPosition(3, 4); }, 1},
        {"Write", [&] { e.Write("faulty"); }, 6},
        {"CustomChar", [&] {
             const uint8_t rows[8] = {1, 2, 3, 4, 5, 6, 7, 8};
             e.CustomChar(2, rows);
         }, 9},
        {"Done", [&] { e.Done(); }, 1},
    };
    int injected = 0;
    for (const EntryCase& c : entries) {
        for (uint32_t mode : {1u, 2u}) {
            for (int n = 1; n <= c.calls; ++n) {
                const std::string label = c.label + " failing on call " + std::to_string(n) + " mode " +
                                          std::to_string(mode);
                e.SetPosition(1, 2);
                int32_t rowBefore = 0, rowAfter = 0;
                const bool rowSeen = side::CurrentRow(&rowBefore);
                Bridge().Reset();
                const side::BlockBytes before = Block();
                Bridge().FailOn(n, mode);
                ok = 0x77;
                c.call();
                ++injected;
                int bridgeCalls = 0;
                for (const BridgeRecord& r : BridgeLog()) bridgeCalls += r.kind != BridgeWait;
                EXPECT_EQ(bridgeCalls, n) << label << ": the entry ended at the fault";
                if (rowSeen && side::CurrentRow(&rowAfter)) {
                    EXPECT_EQ(rowAfter, rowBefore) << label;
                }
                ExpectSlotsIntact(before, -1, label);
                if (c.label == "Init") {
                    EXPECT_EQ(ok, 0) << label;
                    if (mode == 1) {
                        EXPECT_EQ(initText.rfind("Exception: Zugriffsverletzung bei Adresse ", 0), 0u) << label << ": " << initText;
                    } else {
                        EXPECT_EQ(initText, side::kBridgeRaisedText) << label;
                    }
                }
            }
        }
    }
    Bridge().Reset();
    EXPECT_EQ(InitReport("0"), kDriverName + " [ok 1]");
    std::cout << "bridge faults injected and survived: " << injected << "\n";
}

TEST_F(HardeningBridgeFaults, ABridgeThatLeavesAnOddLengthCellOrFails) {
    // The text stream sets its length cell to 1 once and passes on what the bridge
    // leaves there; every instruction gets a fresh cell of 1. Nothing else depends on
    // the cell or on the write's result: one byte per transfer, the text stored.
    const struct {
        uint32_t cell;
        int32_t result;
    } cases[] = {{0, 1}, {2, 1}, {7, 0}, {81, 1}, {0xFFFFFFFFu, 1}};
    const VantrelEntries& e = Entry();
    for (const auto& c : cases) {
        const std::string label = "cell " + std::to_string(c.cell) + " result " + std::to_string(c.result);
        Bridge().Reset();
        Bridge().SetLengthAfterWrite(c.cell);
        Bridge().SetWriteResult(c.result);
        const side::BlockBytes before = Block();
        e.SetPosition(1, 3);
        e.Write("odd cell");
        e.SetPosition(1, 2);
        EXPECT_EQ(Stream(), "i94 d6f d64 d64 d20 d63 d65 d6c d6c ic0") << label;
        std::vector<uint32_t> lengths;
        for (const BridgeRecord& r : BridgeLog()) {
            if (r.kind != BridgeWait) lengths.push_back(r.lengthOnEntry);
        }
        const std::vector<uint32_t> expected = {1, 1, c.cell, c.cell, c.cell, c.cell, c.cell, c.cell, c.cell, 1};
        EXPECT_EQ(lengths, expected) << label;
        ExpectSlotsIntact(before, 2, label);
        EXPECT_EQ(Slot(2), "odd cell") << label;
        EXPECT_EQ(InitReport("0"), kDriverName + " [ok 1]") << label;
    }
}
