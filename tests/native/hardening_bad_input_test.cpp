// Bad input on every entry, as tables: null, an address in no mapping, a text or
// table that runs into an unmapped page, a read-only buffer where the reader must
// write, and a bridge that faults, raises or leaves an odd length cell. Each case:
// the process survives, the entry returns as its frame says (Init through its text
// and OK flag), and no slot of the block is corrupted.
//
// Null addresses are a table of their own (NullAddresses): the sanitized run leaves
// it out, because the undefined-behaviour sanitizer stops at a null access before
// the fault it would cause reaches the guard frame.
#include <string.h>
#include <sys/mman.h>

#include <array>
#include <functional>
#include <iostream>
#include <string>

#include "driver_fixture.h"
#include "entries.h"
#include "line_mirror.h"

namespace {

const std::string kDriverName = "Vantrel v1.0";
const std::string kAccessViolation = "Exception: Zugriffsverletzung bei Adresse ";

// Two pages, the second neither readable nor writable (kept reserved, so that no
// later mapping lands there): Tail(n) is the address n bytes before the gap.
struct PageEdge {
    char* base;
    PageEdge() {
        base = static_cast<char*>(mmap(nullptr, 8192, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base + 4096, 4096, PROT_NONE);
    }
    ~PageEdge() { munmap(base, 8192); }
    // `bytes` stored so that its last byte is the last one before the gap.
    char* Tail(const void* bytes, size_t count) {
        char* at = base + 4096 - count;
        memcpy(at, bytes, count);
        return at;
    }
};

// A page that can be read but not written.
struct ReadOnlyPage {
    char* page;
    ReadOnlyPage() {
        page = static_cast<char*>(mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        memset(page, 0x5A, 4096);
        mprotect(page, 4096, PROT_READ);
    }
    ~ReadOnlyPage() { munmap(page, 4096); }
};

using Block = std::array<uint8_t, kLineBlockSize>;

class HardeningBadInput : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        uint8_t ok = 0;
        ASSERT_EQ(DISPLAYDLL_Init(20, 4, "0", &ok), kDriverName);
        for (uint8_t row = 1; row <= 4; ++row) {
            DISPLAYDLL_SetPosition(1, row);
            DISPLAYDLL_Write(("row " + std::to_string(row) + " text").c_str());
        }
        DISPLAYDLL_SetPosition(1, 2);
        ClearLog();
    }
    static Block Snapshot() {
        Block block{};
        memcpy(block.data(), Driver.LineBlockView, block.size());
        return block;
    }
    // Every slot's length is at most 80; slots other than `mayChange` (-1: none) are
    // byte for byte as before.
    static void ExpectSlotsIntact(const Block& before, int mayChange, const std::string& label) {
        ASSERT_NE(Driver.LineBlockView, nullptr) << label;
        const Block after = Snapshot();
        for (int slot = 0; slot < kLineSlotCount; ++slot) {
            EXPECT_LE(after[slot * kLineSlotSize], kLineSlotCapacity) << label << " slot " << slot;
            if (slot == mayChange) continue;
            EXPECT_TRUE(memcmp(&before[slot * kLineSlotSize], &after[slot * kLineSlotSize], kLineSlotSize) == 0)
                << label << ": slot " << slot << " changed";
        }
    }
    static void Calculate(char* const* table) { CalculateEx(table); }
    static std::string Slot(int k) {
        const uint8_t* slot = Driver.LineBlockView + k * kLineSlotSize;
        return std::string(reinterpret_cast<const char*>(slot + 1), slot[0]);
    }
};

struct AddressCase {
    std::string label;
    std::function<void()> call;
    std::string stream;  // what reaches the bridge
    int slotMayChange;   // -1: no slot may change
};

void RunTable(const std::vector<AddressCase>& cases, void (*check)(const Block&, int, const std::string&),
              Block (*snapshot)()) {
    for (const AddressCase& c : cases) {
        DriverTest::ClearLog();
        const Block before = snapshot();
        c.call();
        EXPECT_EQ(DriverTest::Stream(), c.stream) << c.label;
        check(before, c.slotMayChange, c.label);
    }
}

}  // namespace

TEST_F(HardeningBadInput, UnreadableAndUnwritableAddresses) {
    PageEdge edge;
    ReadOnlyPage readOnly;
    char* const gap = UnmappedPage();
    const char unterminated[] = {'1', '2'};
    const char text[] = {'a', 'b', 'c'};
    const uint8_t pattern[3] = {1, 2, 3};
    char good[4][96];
    char* const partTable[2] = {good[0], good[1]};  // two entries, then the gap
    char* const* const tableAtEdge =
        reinterpret_cast<char* const*>(edge.Tail(partTable, sizeof partTable));
    char* const readOnlyBuffers[101] = {readOnly.page, readOnly.page + 100, readOnly.page + 200,
                                        readOnly.page + 300};
    char* const gapBuffers[101] = {good[0], gap, good[2], good[3]};
    uint8_t* const readOnlyRecord = reinterpret_cast<uint8_t*>(readOnly.page);

    std::string initText;
    uint8_t ok = 0x77;
    const std::vector<AddressCase> cases = {
        {"Write(unmapped)", [&] { DISPLAYDLL_Write(gap); }, "", -1},
        {"Write(text running into a gap)", [&] { DISPLAYDLL_Write(edge.Tail(text, sizeof text)); }, "", -1},
        {"CustomChar(unmapped)", [&] { DISPLAYDLL_CustomChar(1, reinterpret_cast<uint8_t*>(gap)); }, "", -1},
        {"CustomChar(3 rows before a gap)",
         [&] { DISPLAYDLL_CustomChar(1, reinterpret_cast<uint8_t*>(edge.Tail(pattern, sizeof pattern))); }, "", -1},
        {"OutputName(unmapped)", [&] { OutputName(3, reinterpret_cast<uint8_t*>(gap)); }, "", -1},
        {"OutputName(read-only)", [&] { OutputName(3, readOnlyRecord); }, "", -1},
        {"OutputName(record at the gap)", [&] { OutputName(200, reinterpret_cast<uint8_t*>(edge.base + 4094)); }, "", -1},
        {"CalculateEx(unmapped table)", [&] { Calculate(reinterpret_cast<char* const*>(gap)); }, "", -1},
        {"CalculateEx(table running into a gap)", [&] { Calculate(tableAtEdge); }, "", -1},
        {"CalculateEx(read-only buffers)", [&] { Calculate(readOnlyBuffers); }, "", -1},
        {"CalculateEx(an unmapped buffer)", [&] { Calculate(gapBuffers); }, "", -1},
        {"Init(unmapped parameter)", [&] { initText = DISPLAYDLL_Init(20, 4, gap, &ok); }, "", -1},
        {"Init(parameter running into a gap)",
         [&] { initText = DISPLAYDLL_Init(20, 4, edge.Tail(unterminated, sizeof unterminated), &ok); }, "", -1},
    };
    RunTable(cases, ExpectSlotsIntact, Snapshot);
    EXPECT_EQ(initText.rfind(kAccessViolation, 0), 0u) << initText;
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(memcmp(readOnly.page, std::string(400, 0x5A).data(), 400), 0);

    // The OK flag is the only thing Init writes to the host: a bad one is ignored and
    // the start-up goes on.
    for (uint8_t* flag : {reinterpret_cast<uint8_t*>(gap), reinterpret_cast<uint8_t*>(readOnly.page)}) {
        const Block before = Snapshot();
        EXPECT_EQ(std::string(DISPLAYDLL_Init(20, 4, "0", flag)), kDriverName);
        ExpectSlotsIntact(before, -1, "Init(bad OK flag)");
        EXPECT_EQ(std::string(DISPLAYDLL_Init(20, 4, "bad", flag)), "Exception: 'bad' ist kein g\xFCltiger Integerwert");
    }

    // The library still works afterwards.
    DISPLAYDLL_SetPosition(1, 3);
    DISPLAYDLL_Write("after");
    char out[4][96];
    char* table[101] = {out[0], out[1], out[2], out[3]};
    CalculateEx(table);
    EXPECT_STREQ(out[0], "row 1 text");
    EXPECT_STREQ(out[2], "after");
}

TEST_F(HardeningBadInput, NullAddresses) {
    std::string initText;
    uint8_t ok = 0x77;
    char* const nullBuffers[101] = {};
    const std::vector<AddressCase> cases = {
        // A null text is the empty text: nothing is shown, the current row's slot empties.
        {"Write(null)", [] { DISPLAYDLL_Write(nullptr); }, "", 1},
        {"CustomChar(null)", [] { DISPLAYDLL_CustomChar(1, nullptr); }, "", -1},
        {"OutputName(null)", [] { OutputName(0, nullptr); }, "", -1},
        {"CalculateEx(null table)", [] { CalculateEx(nullptr); }, "", -1},
        {"CalculateEx(null buffers)", [&] { CalculateEx(nullBuffers); }, "", -1},
        {"Init(null OK flag)", [] { DISPLAYDLL_Init(20, 4, "0", nullptr); }, "open0 " + std::string(kStartupStream), -1},
        {"Init(null parameter)", [&] { initText = DISPLAYDLL_Init(20, 4, nullptr, &ok); }, "", -1},
    };
    RunTable(cases, ExpectSlotsIntact, Snapshot);
    EXPECT_EQ(initText, "Exception: '' ist kein g\xFCltiger Integerwert");
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Slot(1), "") << "Write(null) stored the empty text";
}

TEST_F(HardeningBadInput, ABridgeThatFaultsOrRaisesOnAnyCall) {
    struct EntryCase {
        std::string label;
        std::function<void()> call;
        int calls;           // bridge calls the entry makes
        int slotMayChange;   // a fault ends the entry before its store
    };
    std::string initText;
    uint8_t ok = 0x77;
    const std::vector<EntryCase> entries = {
        {"Init", [&] { initText = DISPLAYDLL_Init(20, 4, "0", &ok); }, 10, -1},
        {"SetPosition", [] { DISPLAYDLL_SetPosition(3, 4); }, 1, -1},
        {"Write", [] { DISPLAYDLL_Write("faulty"); }, 6, -1},
        {"CustomChar", [] {
             const uint8_t rows[8] = {1, 2, 3, 4, 5, 6, 7, 8};
             DISPLAYDLL_CustomChar(2, rows);
         }, 9, -1},
        {"Done", [] { DISPLAYDLL_Done(); }, 1, -1},
    };
    int injected = 0;
    for (const EntryCase& e : entries) {
        for (uint32_t mode : {1u, 2u}) {
            for (int n = 1; n <= e.calls; ++n) {
                DISPLAYDLL_SetPosition(1, 2);
                ClearLog();
                const int32_t rowBefore = Driver.CurrentRow;
                const Block before = Snapshot();
                BridgeStubFailOn(n, mode);
                ok = 0x77;
                e.call();
                ++injected;
                const std::string label = e.label + " failing on call " + std::to_string(n) + " mode " +
                                          std::to_string(mode);
                int bridgeCalls = 0;
                for (const BridgeRecord& r : Records()) bridgeCalls += r.kind != BridgeWait;
                EXPECT_EQ(bridgeCalls, n) << label << ": the entry ended at the fault";
                EXPECT_EQ(Driver.CurrentRow, rowBefore) << label;
                ExpectSlotsIntact(before, e.slotMayChange, label);
                if (e.label == "Init") {
                    EXPECT_EQ(ok, 0) << label;
                    EXPECT_EQ(initText.rfind("Exception: ", 0), 0u) << label << ": " << initText;
                }
            }
        }
    }
    BridgeStubReset();
    uint8_t good = 0;
    EXPECT_EQ(DISPLAYDLL_Init(20, 4, "0", &good), kDriverName);
    EXPECT_EQ(good, 1);
    std::cout << "bridge faults injected and survived: " << injected << "\n";
}

TEST_F(HardeningBadInput, ABridgeThatLeavesAnOddLengthCell) {
    for (uint32_t cell : {0u, 2u, 81u, 0xFFFFFFFFu}) {
        BridgeStubReset();
        BridgeStubSetLengthAfterWrite(cell);
        const Block before = Snapshot();
        DISPLAYDLL_SetPosition(1, 3);
        DISPLAYDLL_Write("odd cell");
        const auto records = Records();
        ASSERT_GE(records.size(), 8u);
        // Shown one byte per transfer whatever the cell says; stored as written.
        int data = 0;
        for (const BridgeRecord& r : records) data += r.kind == BridgeData;
        EXPECT_EQ(data, 8) << cell;
        ExpectSlotsIntact(before, 2, "odd length cell " + std::to_string(cell));
        EXPECT_EQ(Slot(2), "odd cell");
        uint8_t ok = 0;
        EXPECT_EQ(DISPLAYDLL_Init(20, 4, "0", &ok), kDriverName) << cell;
        EXPECT_EQ(ok, 1);
    }
}
