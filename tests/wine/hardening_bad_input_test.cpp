// Bad input on every entry of the real vantrel.dll, as tables: null, an address in
// no mapping, a text or table that runs into a page without access, read-only
// buffers where the reader must write, and a bridge that faults, raises its own
// exception or leaves an odd length cell. Each case: the host survives, the entry
// returns as its frame says, and no slot of "DisplayLines" is corrupted.
//
// Also the torn-read run across processes: this process stores rows in a tight loop
// while a second wine_tests.exe, started with VANTREL_TORN_READER=<result file>,
// reads them (HardeningTornRead.ReaderChild, skipped in every other run).
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <array>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "vantrel_dll.h"

namespace {

const std::string kDriverName = "Vantrel v1.0";
constexpr int kSlotSize = 81;
using Block = std::array<uint8_t, 4 * kSlotSize>;

VantrelDll& Dll() {
    static VantrelDll dll;
    return dll;
}

// The block as another program sees it, read only.
const uint8_t* BlockView() {
    static const uint8_t* view = [] {
        HANDLE handle = OpenFileMappingA(FILE_MAP_READ, FALSE, "DisplayLines");
        return handle ? static_cast<const uint8_t*>(MapViewOfFile(handle, FILE_MAP_READ, 0, 0, 0)) : nullptr;
    }();
    return view;
}

Block Snapshot() {
    Block block{};
    memcpy(block.data(), BlockView(), block.size());
    return block;
}

void ExpectSlotsIntact(const Block& before, int mayChange, const std::string& label) {
    const Block after = Snapshot();
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_LE(after[slot * kSlotSize], 80) << label << " slot " << slot;
        if (slot == mayChange) continue;
        EXPECT_TRUE(memcmp(&before[slot * kSlotSize], &after[slot * kSlotSize], kSlotSize) == 0)
            << label << ": slot " << slot << " changed";
    }
}

// Two pages, the second without access: Tail(n) is the address n bytes before it.
struct PageEdge {
    char* base = static_cast<char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    PageEdge() {
        DWORD old;
        VirtualProtect(base + 4096, 4096, PAGE_NOACCESS, &old);
    }
    ~PageEdge() { VirtualFree(base, 0, MEM_RELEASE); }
    char* Tail(const void* bytes, size_t count) {
        char* at = base + 4096 - count;
        memcpy(at, bytes, count);
        return at;
    }
};

struct ReadOnlyPage {
    char* page = static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ReadOnlyPage() {
        memset(page, 0x5A, 4096);
        DWORD old;
        VirtualProtect(page, 4096, PAGE_READONLY, &old);
    }
    ~ReadOnlyPage() { VirtualFree(page, 0, MEM_RELEASE); }
};

class HardeningBadInput : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Dll().module, nullptr);
        BridgeStubReset();
        uint8_t ok = 0;
        ASSERT_EQ(std::string(Dll().Init(20, 4, "0", &ok)), kDriverName);
        ASSERT_NE(BlockView(), nullptr);
        for (uint32_t row = 1; row <= 4; ++row) {
            Dll().SetPosition(1, row);
            Dll().Write(("row " + std::to_string(row) + " text").c_str());
        }
        Dll().SetPosition(1, 2);
        BridgeStubReset();
    }
    void TearDown() override { BridgeStubReset(); }
};

struct Case {
    std::string label;
    std::function<void()> call;
    int slotMayChange;
};

}  // namespace

TEST_F(HardeningBadInput, BadAddressesOnEveryEntry) {
    PageEdge edge;
    ReadOnlyPage readOnly;
    char* const gap = reinterpret_cast<char*>(1);  // in no mapping
    const char unterminated[] = {'1', '2'};
    const char text[] = {'a', 'b', 'c'};
    const uint8_t pattern[3] = {1, 2, 3};
    char good[4][96];
    char* const partTable[2] = {good[0], good[1]};
    char* const* const tableAtEdge = reinterpret_cast<char* const*>(edge.Tail(partTable, sizeof partTable));
    char* const readOnlyBuffers[101] = {readOnly.page, readOnly.page + 100, readOnly.page + 200, readOnly.page + 300};
    char* const gapBuffers[101] = {good[0], gap, good[2], good[3]};
    char* const nullBuffers[101] = {};
    uint8_t* const readOnlyByte = reinterpret_cast<uint8_t*>(readOnly.page);
    std::vector<std::string> initTexts;
    uint8_t ok = 0x77;
    auto init = [&](const char* parameter, uint8_t* flag) {
        initTexts.push_back(Dll().Init(20, 4, parameter, flag));
    };
    const std::vector<Case> cases = {
        {"Write(null)", [] { Dll().Write(nullptr); }, 1},
        {"Write(unmapped)", [&] { Dll().Write(gap); }, -1},
        {"Write(text running into a gap)", [&] { Dll().Write(edge.Tail(text, sizeof text)); }, -1},
        {"CustomChar(null)", [] { Dll().CustomChar(1, nullptr); }, -1},
        {"CustomChar(unmapped)", [&] { Dll().CustomChar(1, reinterpret_cast<uint8_t*>(gap)); }, -1},
        {"CustomChar(3 rows before a gap)",
         [&] { Dll().CustomChar(1, reinterpret_cast<uint8_t*>(edge.Tail(pattern, sizeof pattern))); }, -1},
        {"OutputName(null)", [] { Dll().OutputName(0, nullptr); }, -1},
        {"OutputName(unmapped)", [&] { Dll().OutputName(3, reinterpret_cast<uint8_t*>(gap)); }, -1},
        {"OutputName(read-only)", [&] { Dll().OutputName(3, readOnlyByte); }, -1},
        {"OutputName(record at the gap)", [&] { Dll().OutputName(200, reinterpret_cast<uint8_t*>(edge.base + 4094)); }, -1},
        {"CalculateEx(null table)", [] { Dll().CalculateEx(nullptr); }, -1},
        {"CalculateEx(unmapped table)", [&] { Dll().CalculateEx(reinterpret_cast<char* const*>(gap)); }, -1},
        {"CalculateEx(table running into a gap)", [&] { Dll().CalculateEx(tableAtEdge); }, -1},
        {"CalculateEx(read-only buffers)", [&] { Dll().CalculateEx(readOnlyBuffers); }, -1},
        {"CalculateEx(an unmapped buffer)", [&] { Dll().CalculateEx(gapBuffers); }, -1},
        {"CalculateEx(null buffers)", [&] { Dll().CalculateEx(nullBuffers); }, -1},
        {"Init(null parameter)", [&] { init(nullptr, &ok); }, -1},
        {"Init(unmapped parameter)", [&] { init(gap, &ok); }, -1},
        {"Init(parameter running into a gap)", [&] { init(edge.Tail(unterminated, sizeof unterminated), &ok); }, -1},
        {"Init(null OK flag)", [&] { init("0", nullptr); }, -1},
        {"Init(unmapped OK flag)", [&] { init("0", reinterpret_cast<uint8_t*>(gap)); }, -1},
        {"Init(read-only OK flag)", [&] { init("0", readOnlyByte); }, -1},
        {"Init(bad parameter, read-only OK flag)", [&] { init("zz", readOnlyByte); }, -1},
    };
    for (const Case& c : cases) {
        const Block before = Snapshot();
        c.call();
        ExpectSlotsIntact(before, c.slotMayChange, c.label);
        if (c.label.rfind("Write(null)", 0) == 0) EXPECT_EQ(Snapshot()[kSlotSize], 0) << "the empty text stored";
    }
    ASSERT_EQ(initTexts.size(), 7u);
    EXPECT_EQ(initTexts[0], "Exception: '' ist kein g\xFCltiger Integerwert");
    for (int i : {1, 2}) {
        EXPECT_EQ(initTexts[i].rfind("Exception: Zugriffsverletzung bei Adresse ", 0), 0u) << initTexts[i];
        EXPECT_NE(initTexts[i].find("Lesen von Adresse"), std::string::npos) << initTexts[i];
    }
    EXPECT_EQ(ok, 0);
    for (int i : {3, 4, 5}) EXPECT_EQ(initTexts[i], kDriverName);
    EXPECT_EQ(initTexts[6], "Exception: 'zz' ist kein g\xFCltiger Integerwert");
    EXPECT_EQ(static_cast<uint8_t>(readOnly.page[0]), 0x5A);

    // Still working afterwards.
    Dll().SetPosition(1, 3);
    Dll().Write("after");
    const auto out = Dll().Calculate();
    EXPECT_EQ(out[0], "row 1 text");
    EXPECT_EQ(out[1], "");
    EXPECT_EQ(out[2], "after");
    std::cout << "bad-address cases survived: " << cases.size() << "\n";
}

TEST_F(HardeningBadInput, ABridgeThatFaultsRaisesOrLeavesAnOddLengthCell) {
    struct EntryCase {
        std::string label;
        std::function<void()> call;
        int calls;
    };
    std::string initText;
    uint8_t ok = 0x77;
    const std::vector<EntryCase> entries = {
        {"Init", [&] { initText = Dll().Init(20, 4, "0", &ok); }, 10},
        {"SetPosition", [] { Dll().SetPosition(3, 4); }, 1},
        {"Write", [] { Dll().Write("faulty"); }, 6},
        {"CustomChar", [] {
             const uint8_t rows[8] = {1, 2, 3, 4, 5, 6, 7, 8};
             Dll().CustomChar(2, rows);
         }, 9},
        {"Done", [] { Dll().Done(); }, 1},
    };
    int injected = 0;
    for (const EntryCase& e : entries) {
        for (uint32_t mode : {1u, 2u}) {
            for (int n = 1; n <= e.calls; ++n) {
                Dll().SetPosition(1, 2);
                BridgeStubReset();
                const Block before = Snapshot();
                BridgeStubFailOn(n, mode);
                ok = 0x77;
                e.call();
                ++injected;
                const std::string label = e.label + " failing on call " + std::to_string(n) + " mode " +
                                          std::to_string(mode);
                EXPECT_EQ(BridgeRecords().size(), static_cast<size_t>(n)) << label << ": ended at the fault";
                ExpectSlotsIntact(before, -1, label);
                if (e.label == "Init") {
                    EXPECT_EQ(ok, 0) << label;
                    const std::string expected = mode == 1 ? "Exception: Zugriffsverletzung bei Adresse "
                                                           : "Exception: Externe Exception E0425247";
                    EXPECT_EQ(initText.rfind(expected, 0), 0u) << label << ": " << initText;
                }
            }
        }
    }
    BridgeStubReset();
    // A write that leaves its length cell at anything but 1 changes nothing.
    for (uint32_t cell : {0u, 2u, 81u, 0xFFFFFFFFu}) {
        BridgeStubReset();
        BridgeStubSetLengthAfterWrite(cell);
        const Block before = Snapshot();
        Dll().SetPosition(1, 3);
        Dll().Write("odd cell");
        ExpectSlotsIntact(before, 2, "odd length cell " + std::to_string(cell));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(BlockView() + 2 * kSlotSize + 1), BlockView()[2 * kSlotSize]),
                  "odd cell");
        EXPECT_EQ(BridgeRecords().size(), 9u) << "one instruction and 8 data bytes, whatever the cell";
        ++injected;
    }
    BridgeStubReset();
    EXPECT_EQ(std::string(Dll().Init(20, 4, "0", &ok)), kDriverName);
    EXPECT_EQ(ok, 1);
    std::cout << "bridge faults injected and survived: " << injected << "\n";
}

// ---- Torn reads across processes ---------------------------------------------------

namespace {

std::vector<std::string> TornTexts() {
    std::vector<std::string> texts;
    for (int length : {80, 1, 40, 79, 0, 60, 80, 13}) {
        texts.push_back(std::string(static_cast<size_t>(length), static_cast<char>('a' + texts.size())));
    }
    texts.push_back(std::string(80, '\xFF'));
    return texts;
}

}  // namespace

TEST(HardeningTornRead, ReaderChild) {
    const char* result = getenv("VANTREL_TORN_READER");
    if (result == nullptr) GTEST_SKIP() << "run by HardeningTornRead.AReaderProcessNeverSeesMoreThanWrittenBytes";
    const auto texts = TornTexts();
    std::vector<std::set<char>> allowed(80);
    for (const std::string& t : texts) {
        for (size_t i = 0; i < t.size(); ++i) allowed[i].insert(t[i]);
    }
    const std::set<std::string> whole(texts.begin(), texts.end());
    VantrelDll reader("vantrel.dll");
    ASSERT_NE(reader.module, nullptr);
    reader.Calculate();  // attaches
    long reads = 0, mixes = 0, bad = 0;
    const DWORD start = GetTickCount();
    for (int call = 0; call < 40000 && GetTickCount() - start < 4000; ++call) {
        for (const std::string& text : reader.Calculate()) {
            ++reads;
            bool ok = text.size() <= 80 && text != "<wrote past 81 bytes>";
            for (size_t i = 0; ok && i < text.size(); ++i) ok = allowed[i].count(text[i]) != 0;
            if (!ok) ++bad;
            if (ok && whole.count(text) == 0) ++mixes;
        }
    }
    FILE* out = fopen(result, "w");
    ASSERT_NE(out, nullptr);
    fprintf(out, "%ld %ld %ld\n", reads, mixes, bad);
    fclose(out);
}

TEST(HardeningTornRead, AReaderProcessNeverSeesMoreThanWrittenBytes) {
    if (getenv("VANTREL_TORN_READER") != nullptr) GTEST_SKIP();
    ASSERT_NE(Dll().module, nullptr);
    const auto texts = TornTexts();
    uint8_t ok = 0;
    ASSERT_EQ(std::string(Dll().Init(20, 4, "0", &ok)), kDriverName);
    // Every position of every slot holds a byte of ours before the reader starts.
    for (uint32_t row = 1; row <= 4; ++row) {
        Dll().SetPosition(1, row);
        Dll().Write(texts[0].c_str());
    }
    char resultFile[MAX_PATH];
    GetTempPathA(MAX_PATH, resultFile);
    strcat(resultFile, "vantrel_torn_reads.txt");
    DeleteFileA(resultFile);
    SetEnvironmentVariableA("VANTREL_TORN_READER", resultFile);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    char command[] = "wine_tests.exe --gtest_filter=HardeningTornRead.ReaderChild";
    const bool started = CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process) != 0;
    SetEnvironmentVariableA("VANTREL_TORN_READER", nullptr);
    ASSERT_TRUE(started);
    long stores = 0;
    const DWORD start = GetTickCount();
    // Until the reader is done (it stops by itself), or 60 s at the most.
    // SetPosition waits 2 ms in the controller link, so each row gets a run of stores.
    for (uint32_t row = 1; WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT &&
                           GetTickCount() - start < 60000;
         row = row % 4 + 1) {
        Dll().SetPosition(1, row);
        for (int i = 0; i < 500; ++i, ++stores) Dll().Write(texts[static_cast<size_t>(stores) % texts.size()].c_str());
        BridgeStubReset();
    }
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    EXPECT_EQ(exitCode, 0u);
    long reads = -1, mixes = -1, bad = -1;
    FILE* in = fopen(resultFile, "r");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(fscanf(in, "%ld %ld %ld", &reads, &mixes, &bad), 3);
    fclose(in);
    DeleteFileA(resultFile);
    std::cout << "torn reads (processes): " << stores << " stores, " << reads << " texts read, " << mixes
              << " mixes of two texts, " << bad << " bad\n";
    EXPECT_GT(reads, 0);
    EXPECT_EQ(bad, 0);
}
