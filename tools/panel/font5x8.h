// 5x8 dot glyphs of the standard character ROM, for drawing panel pictures. Each
// glyph is 8 row bytes, top row first, bits 4..0 the dots with bit 4 leftmost. The
// 8th row is where the cursor underline goes, so character glyphs leave it empty
// (except the full block 0xFF). The glyphs themselves are data, in font5x8_rom.h.
#pragma once

#include <array>
#include <cstdint>

namespace panel {

using GlyphRows = std::array<uint8_t, 8>;

enum class GlyphKind : uint8_t {
    Drawn,  // the ROM has a glyph for this code
    Blank,  // the ROM shows nothing for this code (0x10-0x1F, 0x80-0xA0, 0xFE)
    Cgram,  // 0x00-0x0F: no ROM glyph, the cell shows a CGRAM pattern
};

struct RomGlyph {
    GlyphKind kind = GlyphKind::Cgram;
    GlyphRows rows{};
};

// The glyph for a character code: Drawn or Blank for every code 0x10-0xFF, Cgram
// (with empty rows) for 0x00-0x0F, whose patterns the caller takes from CGRAM.
RomGlyph GlyphForCode(uint8_t code);

}  // namespace panel
