// The panel as pixels: the one rasterizer behind every picture of it, the PNG files
// (panel_png.h) and the virtual panel's window. Every character cell is 5x8 dots,
// each dot a square of `scale` pixels, drawn in the "on" colour when lit and in a
// faint "off" colour when not, on the backlight colour, inside a dark bezel. Output
// is deterministic: the same model state, geometry and options give the same pixels.
//
// Layout in units of `scale` pixels:
//   dot 1, gap between dots 1   -> a cell is 9 wide (5 dots, 4 gaps), 15 high (8, 7)
//   gap between cells 3 (across and down), border 6 on every side, of which the outer
//   1 is the bezel.
// So an image of C columns and R rows is
//   width  = scale * (12 * C + 9)
//   height = scale * (18 * R + 9)
// e.g. 20x4 at scale 3: 747 x 243 pixels.
//
// Cell contents: CGRAM codes (0x00-0x0F) draw their pattern pixel for pixel (bits
// 4..0 of each of the 8 rows, bit 4 leftmost); ROM codes draw their glyph from the
// character ROM (font5x8.h), blank ones nothing. A visible cursor lights the 8th dot
// row (underline) and, with blink, the whole cell (the picture shows the blink's lit
// phase unless told not to).
#pragma once

#include <cstdint>
#include <vector>

#include "font5x8.h"
#include "hd44780_model.h"
#include "panel_view.h"

namespace panel {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct PanelColours {
    Rgb backlight;
    Rgb dotOn;
    Rgb dotOff;
    Rgb bezel;
};

// Yellow-green backlight with dark dots, and blue backlight with light dots.
PanelColours YellowGreenColours();
PanelColours BlueColours();

constexpr int kMinScale = 1;
constexpr int kMaxScale = 32;

struct PanelImageOptions {
    int scale = 3;  // kMinScale..kMaxScale
    PanelColours colours = YellowGreenColours();
    bool blinkPhaseLit = true;  // a blinking cursor cell is drawn fully lit
};

// 8-bit RGB, rows top first, 3 bytes per pixel, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    // The pixel at (x, y); black outside the image.
    Rgb At(int x, int y) const;
};

// Image size for a geometry and scale (formula above); 0 for a scale out of range or
// an empty geometry.
int PanelImageWidth(PanelGeometry geometry, int scale);
int PanelImageHeight(PanelGeometry geometry, int scale);
// The top-left pixel of dot (dotRow 0-7, dotColumn 0-4) of cell (row, column).
int DotLeft(int column, int dotColumn, int scale);
int DotTop(int row, int dotRow, int scale);

// The 8 dot rows a cell shows for `code`, without the cursor: the CGRAM pattern for
// codes 0x00-0x0F, else the ROM glyph (nothing for blank codes).
GlyphRows CellDots(const Hd44780Model& model, uint8_t code);

// The picture as pixels; an empty image (width 0) for a scale out of range or an
// empty geometry.
RgbImage RenderPanelImage(const Hd44780Model& model, PanelGeometry geometry,
                          const PanelImageOptions& options = {});

}  // namespace panel
