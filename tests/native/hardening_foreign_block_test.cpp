// Foreign "DisplayLines" blocks, natively: one smaller than the four slots, created
// by someone else before Init, and one whose length bytes are above 80. POSIX has
// no other kinds of named objects under that name; the Wine tests cover those.
#include <string.h>
#include <sys/mman.h>

#include <string>

#include "driver_fixture.h"
#include "entries.h"
#include "line_mirror.h"

namespace {

class HardeningForeignBlock : public DriverTest {
protected:
    // The block as another program would create it: `size` bytes, `fill` everywhere.
    uint8_t* Foreign(uint32_t size, uint8_t fill) {
        handle_ = PlatformCreateSharedBlock(kLineBlockName, size);
        auto* view = static_cast<uint8_t*>(PlatformMapSharedBlock(handle_, true));
        if (view != nullptr) memset(view, fill, size);
        view_ = view;
        return view;
    }
    void TearDown() override {
        PlatformReleaseSharedBlock(handle_, view_);
        DriverTest::TearDown();
    }
    SharedHandle handle_ = nullptr;
    void* view_ = nullptr;
};

}  // namespace

TEST_F(HardeningForeignBlock, ABlockSmallerThanFourSlots) {
    uint8_t* block = Foreign(100, 0);
    ASSERT_NE(block, nullptr);
    uint8_t ok = 0;
    EXPECT_STREQ(DISPLAYDLL_Init(20, 4, "0", &ok), "Vantrel v1.0");
    EXPECT_EQ(ok, 1);
    for (uint8_t row = 1; row <= 4; ++row) {
        DISPLAYDLL_SetPosition(1, row);
        DISPLAYDLL_Write(("row " + std::to_string(row)).c_str());
    }
    EXPECT_EQ(block[0], 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block + 82), 5), "row 2");
    const auto out = ReadOutputs();  // rows 3 and 4 lie past the block's end: whatever they hold, no more than 80
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], "row 1");
    EXPECT_EQ(out[1], "row 2");
    for (const std::string& text : out) EXPECT_LE(text.size(), 80u);
}

TEST_F(HardeningForeignBlock, LengthBytesAboveEighty) {
    uint8_t* block = Foreign(kLineBlockSize, 'F');
    ASSERT_NE(block, nullptr);
    const uint8_t lengths[4] = {81, 128, 200, 255};
    for (int slot = 0; slot < 4; ++slot) block[slot * kLineSlotSize] = lengths[slot];
    ReadOutputs();  // attaches
    const auto out = ReadOutputs();
    ASSERT_EQ(out.size(), 4u);
    for (const std::string& text : out) EXPECT_EQ(text, std::string(80, 'F'));
    // A writer that opens the foreign block stores its own lengths.
    uint8_t ok = 0;
    DISPLAYDLL_Init(20, 4, "0", &ok);
    DISPLAYDLL_SetPosition(1, 2);
    DISPLAYDLL_Write("mine");
    EXPECT_EQ(block[kLineSlotSize], 4);
    EXPECT_EQ(ReadOutputs()[1], "mine");
}
