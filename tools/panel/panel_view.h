// What a character panel wired to an HD44780-compatible controller shows: which
// DDRAM address each cell displays, the character codes on the glass, the cursor,
// and what the standard A00 character ROM draws for each code.
//
// Rows and columns are 0-based here. Row r of a panel lies on controller line r % 2
// and starts (r / 2) * columns cells into that line: rows 1/2 at 0x00/0x40, and on
// four-row panels rows 3/4 continue lines 1/2 (16x4 at 0x10/0x50, 20x4 at 0x14/0x54).
// Each cell shows the line cell at (row start + column + display shift), wrapping
// within the line (40 cells in two-line mode, 80 in one-line mode). In one-line mode
// the controller drives only line 1, so rows on line 2 stay dark.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hd44780_model.h"

namespace panel {

struct PanelGeometry {
    int columns = 16;
    int rows = 2;
    bool operator==(const PanelGeometry&) const = default;
};

// The panels this tool knows: 8x1, 16x1, 20x1, 40x1, 8x2, 12x2, 16x2, 20x2, 24x2,
// 40x2, 16x4, 20x4.
const std::vector<PanelGeometry>& SupportedGeometries();
// "20x4" -> {20, 4}; nullopt unless the text names a supported geometry.
std::optional<PanelGeometry> ParseGeometry(std::string_view text);
// {20, 4} -> "20x4".
std::string GeometryName(PanelGeometry geometry);

// The DDRAM address (two-line numbering) at which row `row` starts.
uint8_t RowStartAddress(PanelGeometry geometry, int row);
// The DDRAM address that cell (row, column) shows now, with the display shift applied;
// nullopt for a cell outside the panel or on a dark row (line 2 in one-line mode).
std::optional<uint8_t> CellAddress(const Hd44780Model& model, PanelGeometry geometry, int row,
                                   int column);

// The character code in every cell, rows top first: geometry.rows vectors of
// geometry.columns codes. Blank cells (display off, dark rows) hold 0x20.
std::vector<std::vector<uint8_t>> VisibleCodes(const Hd44780Model& model, PanelGeometry geometry);

struct CursorCell {
    int row = 0;
    int column = 0;
    bool underline = false;  // C: underline on the 8th dot row
    bool blink = false;      // B: the whole cell alternates
    bool operator==(const CursorCell&) const = default;
};

// Where the cursor is drawn: only when the display is on, C or B is set, data go to
// DDRAM, and AC's address is visible in some cell of the panel.
std::optional<CursorCell> VisibleCursor(const Hd44780Model& model, PanelGeometry geometry);

// Codes 0x00-0x0F show CGRAM pattern (code & 7) instead of a ROM glyph.
constexpr bool IsCgramCode(uint8_t code) { return code < 0x10; }

// The character the A00 ROM shows for `code`, as UTF-8: ASCII for 0x20-0x7D except
// 0x5C (yen sign), arrows at 0x7E/0x7F, half-width katakana at 0xA1-0xDF, Greek and
// other signs at 0xE0-0xFF, a space for the ROM's blank codes (0x10-0x1F, 0x80-0xA0,
// 0xFE). CGRAM codes (0x00-0x0F) give "" because they have no ROM glyph; never null.
const char* RomCodeToUtf8(uint8_t code);
// Terminal columns that RomCodeToUtf8(code) takes: 2 for 0xE9 (superscript minus one)
// and the wide kanji 0xFA-0xFC, 0 for CGRAM codes, 1 otherwise.
int RomCodeColumns(uint8_t code);

}  // namespace panel
