// The PNG picture of the panel, dot for dot, and writing it to a file.
#include <png.h>

#include "font5x8.h"
#include "panel_png.h"

#include "panel_test_support.h"

namespace {

TEST(PanelPng, ImageSizeFollowsGeometryAndScale) {
    const struct {
        PanelGeometry geometry;
        int scale;
        int width;
        int height;
    } cases[] = {
        {{8, 1}, 1, 105, 27},   {{16, 2}, 2, 402, 90},  {{20, 4}, 3, 747, 243},
        {{40, 2}, 1, 489, 45},  {{8, 1}, 0, 0, 0},      {{8, 1}, panel::kMaxScale + 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(panel::GeometryName(c.geometry) + " scale " + std::to_string(c.scale));
        EXPECT_EQ(panel::PanelImageWidth(c.geometry, c.scale), c.width);
        EXPECT_EQ(panel::PanelImageHeight(c.geometry, c.scale), c.height);
        panel::PanelImageOptions options;
        options.scale = c.scale;
        const panel::RgbImage image = panel::RenderPanelImage(StartedModel(), c.geometry, options);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height) * 3);
    }
}

// Checks that every dot of cell (row, column) is a full square in the on or off
// colour as `expected` says, and that the gap right of each dot is backlight.
void ExpectCell(const panel::RgbImage& image, int row, int column, const panel::GlyphRows& expected, int scale,
                const panel::PanelColours& colours) {
    for (int dotRow = 0; dotRow < 8; ++dotRow) {
        for (int dotColumn = 0; dotColumn < 5; ++dotColumn) {
            const bool lit = (expected[static_cast<std::size_t>(dotRow)] >> (4 - dotColumn)) & 1;
            const int left = panel::DotLeft(column, dotColumn, scale);
            const int top = panel::DotTop(row, dotRow, scale);
            for (int y = top; y < top + scale; ++y)
                for (int x = left; x < left + scale; ++x)
                    ASSERT_EQ(image.At(x, y), lit ? colours.dotOn : colours.dotOff)
                        << "cell " << row << "," << column << " dot " << dotRow << "," << dotColumn;
            if (dotColumn < 4) {
                ASSERT_EQ(image.At(left + scale, top), colours.backlight);
            }
        }
    }
}

TEST(PanelPng, CellsShowGlyphsPatternsAndCursorDotForDot) {
    Hd44780Model model = StartedModel();
    const panel::GlyphRows pattern = {0x11, 0x0A, 0x04, 0x0A, 0x11, 0x00, 0x1F, 0x03};
    Instructions(model, {0x40 | 1 * 8});
    for (const uint8_t row : pattern) model.Data(static_cast<uint8_t>(row | 0xE0));  // bits 7-5 are not dots
    Instructions(model, {0x80});
    Data(model, {'A', 0xDF, 0x80});
    Instructions(model, {0xC2});
    Data(model, {0x09});  // pattern 1
    Instructions(model, {0x0E, 0x80 | 0x44});  // underline cursor at row 2, column 5

    for (const int scale : {1, 3}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        panel::PanelImageOptions options;
        options.scale = scale;
        options.colours = panel::BlueColours();
        const panel::RgbImage image = panel::RenderPanelImage(model, {8, 2}, options);
        const auto& colours = options.colours;
        ExpectCell(image, 0, 0, panel::GlyphForCode('A').rows, scale, colours);
        ExpectCell(image, 0, 1, panel::GlyphForCode(0xDF).rows, scale, colours);
        ExpectCell(image, 0, 2, panel::GlyphRows{}, scale, colours);
        ExpectCell(image, 1, 2, pattern, scale, colours);
        ExpectCell(image, 1, 4, panel::GlyphRows{0, 0, 0, 0, 0, 0, 0, 0x1F}, scale, colours);
        EXPECT_EQ(image.At(0, 0), colours.bezel);
        EXPECT_EQ(image.At(scale, scale), colours.backlight);
    }
}

TEST(PanelPng, BlinkingCursorLightsTheCellInItsLitPhaseOnly) {
    Hd44780Model model = StartedModel();
    Text(model, "a");
    Instructions(model, {0x0D, 0x80});  // blink only, on the 'a'
    panel::PanelImageOptions options;
    options.scale = 1;
    const panel::GlyphRows full = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
    ExpectCell(panel::RenderPanelImage(model, {8, 1}, options), 0, 0, full, 1, options.colours);
    options.blinkPhaseLit = false;
    ExpectCell(panel::RenderPanelImage(model, {8, 1}, options), 0, 0, panel::GlyphForCode('a').rows, 1,
               options.colours);
}

// Reads a PNG back as 8-bit RGB.
bool ReadPng(const std::string& path, panel::RgbImage* image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    image->width = static_cast<int>(png.width);
    image->height = static_cast<int>(png.height);
    image->pixels.assign(PNG_IMAGE_SIZE(png), 0);
    const bool ok = png_image_finish_read(&png, nullptr, image->pixels.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return ok;
}

TEST(PanelPng, WrittenFileHoldsTheRenderedPixelsAndIsReproducible) {
    Hd44780Model model = StartedModel();
    Text(model, "PNG ok");
    const TempPath first("first.png");
    const TempPath second("second.png");
    std::string error;
    ASSERT_TRUE(panel::WritePanelPng(first.path, model, {16, 2}, 2, &error)) << error;
    ASSERT_TRUE(panel::WritePanelPng(second.path, model, {16, 2}, 2, &error)) << error;

    panel::RgbImage read;
    ASSERT_TRUE(ReadPng(first.path, &read));
    panel::PanelImageOptions options;
    options.scale = 2;
    const panel::RgbImage rendered = panel::RenderPanelImage(model, {16, 2}, options);
    EXPECT_EQ(read.width, rendered.width);
    EXPECT_EQ(read.height, rendered.height);
    EXPECT_TRUE(read.pixels == rendered.pixels);
    EXPECT_EQ(FileBytes(first.path), FileBytes(second.path));
}

TEST(PanelPng, WriteFailuresAreReported) {
    std::string error;
    const std::string missingDir = (std::filesystem::temp_directory_path() / "panel_no_such_dir" / "x.png").string();
    EXPECT_FALSE(panel::WritePanelPng(missingDir, StartedModel(), {16, 2}, 2, &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;

    const TempPath path("bad_scale.png");
    EXPECT_FALSE(panel::WritePanelPng(path.path, StartedModel(), {16, 2}, 0, &error));
    EXPECT_NE(error.find("scale"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path.path));
}

}  // namespace
