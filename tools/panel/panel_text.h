// The panel as terminal text (UTF-8): a box-drawn frame with one line per row, then
// status lines (display off, cursor position) and a legend of the CGRAM patterns
// that appear on the panel.
//
// A cell with a CGRAM code (0x00-0x0F) shows a circled digit "⓪".."⑦" for the pattern
// it displays (code & 7); the legend draws each such pattern as 5x8 dots, "█" for a
// dot that is on, "·" for one that is off, patterns side by side under their marker.
// ROM codes show RomCodeToUtf8(); codes two columns wide (0xE9, 0xFA-0xFC) make their
// row wider, and the frame is widened to the widest row so that it stays closed.
//
// Example (16x2, pattern 0 at row 2 column 1, cursor off):
//   ┌────────────────┐
//   │Hello, world!   │
//   │⓪ 21.5C         │
//   └────────────────┘
//   ⓪
//   ·····
//   ·█·█·
//   ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hd44780_model.h"
#include "panel_view.h"

namespace panel {

// The marker shown in a cell with CGRAM code `code` (pattern code & 7).
std::string CgramMarker(uint8_t code);

// The framed rows only, one line per panel row plus the two frame lines, each ending
// in '\n'.
std::string RenderFrame(const std::vector<std::vector<uint8_t>>& codes);

// The patterns (0-7) as 5x8 dot pictures side by side, each under its marker; "" for
// an empty list.
std::string RenderCgramLegend(const Hd44780Model& model, const std::vector<int>& patterns);

// The whole picture: frame, then "display off" when the display is off, then
// "cursor: row R, column C (underline, blink)" (1-based) when a cursor shows, then the
// legend of the patterns present on the panel.
std::string RenderPanelText(const Hd44780Model& model, PanelGeometry geometry);

}  // namespace panel
