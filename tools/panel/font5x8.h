// 5x8 dot glyphs for the character ROM codes, for drawing panel pictures. Each glyph
// is 8 row bytes, top row first, bits 4..0 the dots with bit 4 leftmost. The 8th row
// is where the cursor underline goes, so character glyphs leave it empty (except the
// full block 0xFF).
#pragma once

#include <array>
#include <cstdint>

namespace panel {

using GlyphRows = std::array<uint8_t, 8>;

enum class GlyphKind : uint8_t {
    Drawn,    // the table has this code's glyph
    Blank,    // the ROM shows nothing for this code (0x10-0x1F, 0x80-0xA0, 0xFE)
    Unknown,  // no glyph in the table: drawn as a hollow cell outline
};

struct RomGlyph {
    GlyphKind kind = GlyphKind::Unknown;
    GlyphRows rows{};
};

// The glyph for a ROM code. CGRAM codes (0x00-0x0F) have no ROM glyph: they return
// kind Unknown, callers draw CGRAM patterns instead. Covers 0x20-0x7F (0x5C as a yen
// sign, 0x7E/0x7F as arrows) plus 0xDF (degree-like ring), 0xE0-0xE2, 0xE4, 0xEF,
// 0xF5, 0xF7 and 0xFF.
RomGlyph GlyphForCode(uint8_t code);

// The hollow outline drawn for codes without a glyph.
constexpr GlyphRows kHollowCell = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};

}  // namespace panel
