#include "font5x8.h"

#include <string_view>

#include "font5x8_rom.h"

namespace panel {

namespace {

constexpr uint8_t PackRow(const char* text) {
    if (text == nullptr) return 0;
    const std::string_view row = text;
    if (row.size() != 5) throw "a glyph row has 5 dots";
    uint8_t bits = 0;
    for (const char c : row) {
        if (c != '#' && c != '.') throw "a glyph dot is '#' or '.'";
        bits = static_cast<uint8_t>((bits << 1) | (c == '#' ? 1 : 0));
    }
    return bits;
}

struct GlyphTable {
    GlyphRows rows[256]{};
    GlyphKind kind[256]{};
};

// Packs the ROM data; a code listed twice, or one of 0x10-0xFF missing, stops the build.
constexpr GlyphTable BuildTable() {
    GlyphTable table;
    bool seen[256]{};
    for (const rom::GlyphSource& glyph : rom::kGlyphs) {
        if (glyph.code < 0x10) throw "codes 0x00-0x0F are CGRAM, not ROM";
        if (seen[glyph.code]) throw "a code appears twice in the ROM";
        seen[glyph.code] = true;
        table.kind[glyph.code] = GlyphKind::Drawn;
        for (int r = 0; r < 8; ++r) table.rows[glyph.code][static_cast<std::size_t>(r)] = PackRow(glyph.rows[r]);
    }
    for (const rom::BlankRange& range : rom::kBlankCodes) {
        for (int code = range.first; code <= range.last; ++code) {
            if (seen[code]) throw "a blank code also has a glyph";
            seen[code] = true;
            table.kind[code] = GlyphKind::Blank;
        }
    }
    for (int code = 0; code < 0x10; ++code) table.kind[code] = GlyphKind::Cgram;
    for (int code = 0x10; code < 0x100; ++code)
        if (!seen[code]) throw "a ROM code has neither a glyph nor a blank entry";
    return table;
}

constexpr GlyphTable kTable = BuildTable();

}  // namespace

RomGlyph GlyphForCode(uint8_t code) { return {kTable.kind[code], kTable.rows[code]}; }

}  // namespace panel
