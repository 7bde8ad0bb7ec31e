// The 5x8 font of the ROM's characters.
#include "font5x8.h"

#include "panel_test_support.h"

namespace {

int DotCount(const panel::GlyphRows& rows) {
    int dots = 0;
    for (const uint8_t row : rows) dots += __builtin_popcount(row);
    return dots;
}

uint8_t Mirrored(uint8_t row) {
    uint8_t mirrored = 0;
    for (int bit = 0; bit < 5; ++bit) mirrored |= static_cast<uint8_t>(((row >> bit) & 1) << (4 - bit));
    return mirrored;
}

TEST(PanelFont, EveryRomCodeHasAGlyphOrIsBlank) {
    for (int code = 0x10; code <= 0xFF; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        const panel::RomGlyph glyph = panel::GlyphForCode(static_cast<uint8_t>(code));
        const bool blank = code <= 0x1F || (code >= 0x80 && code <= 0xA0) || code == 0xFE;
        EXPECT_EQ(glyph.kind, blank ? panel::GlyphKind::Blank : panel::GlyphKind::Drawn);
        for (const uint8_t row : glyph.rows) EXPECT_EQ(row & ~0x1F, 0);
        // Only the space and the blank codes show no dot at all.
        EXPECT_EQ(DotCount(glyph.rows) == 0, blank || code == 0x20);
        if (code != 0xFF) {
            EXPECT_EQ(glyph.rows[7], 0) << "the cursor row stays free";
        }
    }
    for (int code = 0; code < 0x10; ++code)
        EXPECT_EQ(panel::GlyphForCode(static_cast<uint8_t>(code)).kind, panel::GlyphKind::Cgram);
    // The katakana and their small forms are 56 different letters.
    for (int a = 0xA6; a <= 0xDD; ++a)
        for (int b = a + 1; b <= 0xDD; ++b)
            EXPECT_NE(panel::GlyphForCode(static_cast<uint8_t>(a)).rows,
                      panel::GlyphForCode(static_cast<uint8_t>(b)).rows)
                << "codes " << a << " and " << b;
}

TEST(PanelFont, GlyphsWhoseDotsAreBeyondDoubt) {
    EXPECT_EQ(DotCount(panel::GlyphForCode(0xFF).rows), 40) << "the full block lights every dot";
    EXPECT_EQ(panel::GlyphForCode(0x5F).rows[6], 0x1F) << "the underscore fills the 7th row";

    // 0x5C is a yen sign: mirror-symmetric, which a backslash is not.
    for (const uint8_t row : panel::GlyphForCode(0x5C).rows) EXPECT_EQ(Mirrored(row), row);

    // 0xDF: a small ring in the top rows, three dots wide and high, hollow inside.
    const panel::GlyphRows ring = panel::GlyphForCode(0xDF).rows;
    bool ringFound = false;
    for (int shift = 0; shift <= 2; ++shift)
        ringFound |= ring[0] == (0x07 << shift) && ring[1] == (0x05 << shift) && ring[2] == (0x07 << shift);
    EXPECT_TRUE(ringFound) << "rows " << int{ring[0]} << " " << int{ring[1]} << " " << int{ring[2]};
    for (std::size_t row = 3; row < 8; ++row) EXPECT_EQ(ring[row], 0);

    // 0x7E and 0x7F: arrows with a full-width shaft on the 4th row, the head to the
    // right and to the left, symmetric above and below the shaft, and mirror images.
    const panel::GlyphRows right = panel::GlyphForCode(0x7E).rows;
    const panel::GlyphRows left = panel::GlyphForCode(0x7F).rows;
    EXPECT_EQ(right[3], 0x1F);
    for (std::size_t d = 1; d <= 3; ++d) EXPECT_EQ(right[3 - d], right[3 + d]);
    EXPECT_NE(right[2], 0);
    EXPECT_GT(right[2] & 0x03, right[2] & 0x18) << "the head is on the right";
    for (std::size_t row = 0; row < 8; ++row) EXPECT_EQ(left[row], Mirrored(right[row]));
    EXPECT_EQ(right[7], 0);

    for (const int blank : {0x10, 0x15, 0x1F, 0x80, 0x9F, 0xA0, 0xFE}) {
        EXPECT_EQ(panel::GlyphForCode(static_cast<uint8_t>(blank)).kind, panel::GlyphKind::Blank) << blank;
        EXPECT_EQ(panel::GlyphForCode(static_cast<uint8_t>(blank)).rows, panel::GlyphRows{}) << blank;
    }
}

}  // namespace
