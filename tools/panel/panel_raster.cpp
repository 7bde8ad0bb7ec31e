#include "panel_raster.h"

namespace panel {

namespace {

// Layout units (multiplied by the scale), see panel_raster.h.
constexpr int kDotPitch = 2;  // dot 1 + gap 1
constexpr int kCellWidth = 9;
constexpr int kCellHeight = 15;
constexpr int kCellGap = 3;
constexpr int kBorder = 6;
constexpr int kBezel = 1;

bool ValidScale(int scale) { return scale >= kMinScale && scale <= kMaxScale; }

void Fill(RgbImage& image, int left, int top, int width, int height, Rgb colour) {
    for (int y = top; y < top + height; ++y) {
        if (y < 0 || y >= image.height) continue;
        for (int x = left; x < left + width; ++x) {
            if (x < 0 || x >= image.width) continue;
            const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                                    static_cast<std::size_t>(x)) * 3;
            image.pixels[at] = colour.r;
            image.pixels[at + 1] = colour.g;
            image.pixels[at + 2] = colour.b;
        }
    }
}

}  // namespace

PanelColours YellowGreenColours() {
    return {{0xA8, 0xC8, 0x40}, {0x1C, 0x28, 0x10}, {0x9A, 0xBA, 0x3A}, {0x2A, 0x2A, 0x2A}};
}

PanelColours BlueColours() {
    return {{0x1C, 0x3C, 0xD8}, {0xE8, 0xF0, 0xFF}, {0x28, 0x4A, 0xE4}, {0x2A, 0x2A, 0x2A}};
}

Rgb RgbImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    const std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    if (at + 2 >= pixels.size()) return {};
    return {pixels[at], pixels[at + 1], pixels[at + 2]};
}

int PanelImageWidth(PanelGeometry geometry, int scale) {
    if (!ValidScale(scale) || geometry.columns <= 0 || geometry.rows <= 0) return 0;
    return scale * (2 * kBorder + geometry.columns * (kCellWidth + kCellGap) - kCellGap);
}

int PanelImageHeight(PanelGeometry geometry, int scale) {
    if (!ValidScale(scale) || geometry.columns <= 0 || geometry.rows <= 0) return 0;
    return scale * (2 * kBorder + geometry.rows * (kCellHeight + kCellGap) - kCellGap);
}

int DotLeft(int column, int dotColumn, int scale) {
    return scale * (kBorder + column * (kCellWidth + kCellGap) + dotColumn * kDotPitch);
}

int DotTop(int row, int dotRow, int scale) {
    return scale * (kBorder + row * (kCellHeight + kCellGap) + dotRow * kDotPitch);
}

GlyphRows CellDots(const Hd44780Model& model, uint8_t code) {
    if (IsCgramCode(code)) {
        GlyphRows rows{};
        for (int r = 0; r < 8; ++r) rows[static_cast<std::size_t>(r)] = model.PatternRow(code, r);
        return rows;
    }
    return GlyphForCode(code).rows;
}

RgbImage RenderPanelImage(const Hd44780Model& model, PanelGeometry geometry, const PanelImageOptions& options) {
    RgbImage image;
    const int scale = options.scale;
    image.width = PanelImageWidth(geometry, scale);
    image.height = PanelImageHeight(geometry, scale);
    if (image.width == 0 || image.height == 0) {
        image.width = image.height = 0;
        return image;
    }
    image.pixels.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3, 0);
    const PanelColours& colours = options.colours;
    Fill(image, 0, 0, image.width, image.height, colours.bezel);
    const int bezel = kBezel * scale;
    Fill(image, bezel, bezel, image.width - 2 * bezel, image.height - 2 * bezel, colours.backlight);

    const auto codes = VisibleCodes(model, geometry);
    const auto cursor = VisibleCursor(model, geometry);
    for (int row = 0; row < geometry.rows; ++row) {
        for (int column = 0; column < geometry.columns; ++column) {
            GlyphRows dots = CellDots(model, codes[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
            if (cursor && cursor->row == row && cursor->column == column) {
                if (cursor->underline) dots[7] = 0x1F;
                if (cursor->blink && options.blinkPhaseLit) dots.fill(0x1F);
            }
            for (int dotRow = 0; dotRow < 8; ++dotRow) {
                for (int dotColumn = 0; dotColumn < 5; ++dotColumn) {
                    const bool lit = (dots[static_cast<std::size_t>(dotRow)] >> (4 - dotColumn)) & 1;
                    Fill(image, DotLeft(column, dotColumn, scale), DotTop(row, dotRow, scale), scale, scale,
                         lit ? colours.dotOn : colours.dotOff);
                }
            }
        }
    }
    return image;
}

}  // namespace panel
