// Foreign "DisplayLines" objects met by the real vantrel.dll: another kind of named
// object with that name, a block smaller than four slots, and a block whose length
// bytes are above 80. Each case needs a process in which no library has created
// the block yet, and leaves its foreign object behind for the rest of that process,
// so each runs in a wine_tests.exe process of its own, selected by
// VANTREL_FOREIGN_BLOCK_CASE (see `make test-wine-foreign`); in any other run they skip.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "vantrel_dll.h"

namespace {

class HardeningForeignBlock : public testing::Test {
protected:
    void SetUp() override {
        const char* selected = getenv("VANTREL_FOREIGN_BLOCK_CASE");
        const char* name = testing::UnitTest::GetInstance()->current_test_info()->name();
        if (selected == nullptr || strcmp(selected, name) != 0) {
            GTEST_SKIP() << "needs a process of its own: VANTREL_FOREIGN_BLOCK_CASE=" << name;
        }
        HANDLE existing = OpenFileMappingA(FILE_MAP_READ, FALSE, "DisplayLines");
        if (existing != nullptr) CloseHandle(existing);
        ASSERT_EQ(existing, nullptr) << "the block exists already in this session";
        BridgeStubReset();
    }
    void TearDown() override { BridgeStubReset(); }

    static void WriteRows(VantrelDll& dll) {
        for (uint32_t row = 1; row <= 4; ++row) {
            dll.SetPosition(1, row);
            dll.Write(("row " + std::to_string(row)).c_str());
        }
    }
};

}  // namespace

TEST_F(HardeningForeignBlock, AnotherKindOfObjectWithTheName) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "DisplayLines");
    ASSERT_NE(event, nullptr);
    VantrelDll dll;
    uint8_t ok = 0;
    EXPECT_EQ(std::string(dll.Init(20, 4, "0", &ok)), "Vantrel v1.0");
    EXPECT_EQ(ok, 1);
    BridgeStubReset();
    WriteRows(dll);  // shown, stored nowhere
    EXPECT_EQ(BridgeStream().substr(0, 12), "i80 d72 d6f ");
    const auto out = dll.Calculate();
    for (const std::string& text : out) EXPECT_EQ(text, "Glimmora?") << "no block to read";
    CloseHandle(event);
}

TEST_F(HardeningForeignBlock, ABlockSmallerThanFourSlots) {
    HANDLE small = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 100, "DisplayLines");
    ASSERT_NE(small, nullptr);
    auto* block = static_cast<uint8_t*>(MapViewOfFile(small, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(block, nullptr);
    VantrelDll dll;
    uint8_t ok = 0;
    EXPECT_EQ(std::string(dll.Init(20, 4, "0", &ok)), "Vantrel v1.0");
    EXPECT_EQ(ok, 1);
    WriteRows(dll);  // rows 3 and 4 lie past the block's 100 bytes
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block + 1), block[0]), "row 1");
    ASSERT_TRUE(CopyDll("vantrel_foreign.dll"));
    VantrelDll reader("vantrel_foreign.dll");
    reader.Calculate();  // attaches
    const auto out = reader.Calculate();
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], "row 1");
    for (const std::string& text : out) EXPECT_LE(text.size(), 80u) << text;
}

TEST_F(HardeningForeignBlock, LengthBytesAboveEighty) {
    HANDLE foreign = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 324, "DisplayLines");
    ASSERT_NE(foreign, nullptr);
    auto* block = static_cast<uint8_t*>(MapViewOfFile(foreign, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(block, nullptr);
    memset(block, 'F', 324);
    const uint8_t lengths[4] = {81, 128, 200, 255};
    for (int slot = 0; slot < 4; ++slot) block[slot * 81] = lengths[slot];
    VantrelDll reader;
    reader.Calculate();  // attaches
    const auto out = reader.Calculate();
    ASSERT_EQ(out.size(), 4u) << "nothing written past 81 bytes";
    for (const std::string& text : out) EXPECT_EQ(text, std::string(80, 'F'));
}
