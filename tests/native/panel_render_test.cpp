// Pictures of the panel (terminal text and PNG), the 5x8 font, and reading and
// decoding recorded bridge streams.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bridge_stream.h"
#include "font5x8.h"
#include "hd44780_model.h"
#include "panel_png.h"
#include "panel_text.h"
#include "panel_view.h"

namespace {

using panel::Hd44780Model;
using panel::PanelGeometry;

void Instructions(Hd44780Model& model, std::initializer_list<uint8_t> bytes) {
    for (const uint8_t b : bytes) model.Instruction(b);
}

void Data(Hd44780Model& model, std::initializer_list<uint8_t> bytes) {
    for (const uint8_t b : bytes) model.Data(b);
}

void Text(Hd44780Model& model, const std::string& text) {
    for (const char c : text) model.Data(static_cast<uint8_t>(c));
}

// The driver's start-up sequence: two lines, cleared, display on, cursor off.
Hd44780Model StartedModel() {
    Hd44780Model model;
    Instructions(model, {0x30, 0x30, 0x30, 0x30, 0x3C, 0x08, 0x01, 0x06, 0x0C});
    return model;
}

// A scratch file path, removed when the test ends.
struct TempPath {
    std::string path;
    explicit TempPath(const std::string& name)
        : path((std::filesystem::temp_directory_path() /
                ("panel_render_test_" + std::to_string(::getpid()) + "_" + name))
                   .string()) {}
    ~TempPath() { std::remove(path.c_str()); }
};

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ---- terminal picture ----

TEST(PanelText, SmallPanelWithPatternCursorAndLegend) {
    Hd44780Model model = StartedModel();
    Instructions(model, {0x40 | 2 * 8});
    Data(model, {0x04, 0x0E, 0x1F, 0x04, 0x04, 0x04, 0x04, 0x00});  // pattern 2: an arrow up
    Instructions(model, {0x80});
    Text(model, "Hi");
    Data(model, {0x02, 0x0A});  // both show pattern 2
    Instructions(model, {0xC0});
    Data(model, {0x5C, 0x7E});
    Instructions(model, {0x0E});

    EXPECT_EQ(panel::RenderPanelText(model, {8, 2}),
              "┌────────┐\n"
              "│Hi②②    │\n"
              "│¥→      │\n"
              "└────────┘\n"
              "cursor: row 2, column 3 (underline)\n"
              "②    \n"
              "··█··\n"
              "·███·\n"
              "█████\n"
              "··█··\n"
              "··█··\n"
              "··█··\n"
              "··█··\n"
              "·····\n");
}

TEST(PanelText, LegendShowsEachPatternOnceSideBySide) {
    Hd44780Model model = StartedModel();
    Instructions(model, {0x40 | 5 * 8});
    Data(model, {0x10, 0x01});  // pattern 5: top-left dot, then bottom-right dot of row 1
    Instructions(model, {0x80});
    Data(model, {0x05, 0x00, 0x0D, 0x05});

    EXPECT_EQ(panel::RenderPanelText(model, {8, 1}),
              "┌────────┐\n"
              "│⑤⓪⑤⑤    │\n"
              "└────────┘\n"
              "⓪      ⑤    \n"
              "·····  █····\n"
              "·····  ····█\n"
              "·····  ·····\n"
              "·····  ·····\n"
              "·····  ·····\n"
              "·····  ·····\n"
              "·····  ·····\n"
              "·····  ·····\n");
}

TEST(PanelText, FrameStaysClosedAroundWideCharactersAndDisplayOff) {
    Hd44780Model model = StartedModel();
    Data(model, {0xFA});
    Text(model, "abcdefg");
    Instructions(model, {0xC0});
    Text(model, "x");
    EXPECT_EQ(panel::RenderPanelText(model, {8, 2}),
              "┌─────────┐\n"
              "│千abcdefg│\n"
              "│x        │\n"
              "└─────────┘\n");

    Instructions(model, {0x0F, 0x08});
    EXPECT_EQ(panel::RenderPanelText(model, {8, 2}),
              "┌────────┐\n"
              "│        │\n"
              "│        │\n"
              "└────────┘\n"
              "display off\n");
}

// ---- font ----

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

// ---- PNG picture ----

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

// ---- bridge streams ----

using panel::StreamKind;
using panel::StreamRecord;

TEST(PanelStream, ParsesRecordsAcrossLineEndingsAndBlankLines) {
    const std::string text =
        "1 0 0 0 100\r\n"
        "\n"
        "3 0 56 1 200\n"
        "  4   2 255  1 300  \n"
        "5 0 15 0 -7\r\n"
        "2 0 0 0 9223372036854775807";
    std::vector<StreamRecord> records;
    std::string error;
    ASSERT_TRUE(panel::ParseStream(text, &records, &error)) << error;
    const std::vector<StreamRecord> expected = {
        {StreamKind::Open, 0, 0, 0, 100},          {StreamKind::Instruction, 0, 56, 1, 200},
        {StreamKind::Data, 2, 255, 1, 300},        {StreamKind::Wait, 0, 15, 0, -7},
        {StreamKind::Close, 0, 0, 0, INT64_MAX},
    };
    EXPECT_EQ(records, expected);
}

TEST(PanelStream, RejectsMalformedLinesWithAReason) {
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"3 0 65 1", "expected 5 fields"},
        {"3 0 65 1 5 6", "expected 5 fields"},
        {"3 0 x 1 5", "field byte"},
        {"3 0 0x41 1 5", "field byte"},
        {"-3 0 65 1 5", "field kind"},
        {"3 +0 65 1 5", "field device"},
        {"3 0 65 4294967296 5", "field length"},
        {"3 0 65 1 5ns", "field timeNs"},
        {"0 0 0 0 5", "unknown record kind 0"},
        {"6 0 0 0 5", "unknown record kind 6"},
        {"3 0 256 1 5", "byte 256"},
        {"4 0 300 1 5", "byte 300"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(panel::ParseStreamLine(c.line, &error).has_value()) << c.line;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.line << " -> " << error;
    }
    // A wait may be long: its byte field is milliseconds.
    EXPECT_TRUE(panel::ParseStreamLine("5 0 5000 0 5").has_value());

    std::vector<StreamRecord> records;
    std::string error;
    EXPECT_FALSE(panel::ParseStream("1 0 0 0 1\n\n3 0 1 1 2\n7 0 0 0 3\n", &records, &error));
    EXPECT_EQ(error.rfind("line 4: ", 0), 0u) << error;
    EXPECT_EQ(records.size(), 2u);

    EXPECT_FALSE(panel::ReadStreamFile("/nonexistent/panel.stream", &records, &error));
    EXPECT_NE(error.find("cannot open /nonexistent/panel.stream"), std::string::npos) << error;
}

// A hand-made recording: start-up, text with characters that need escaping, a
// pattern upload, odd write lengths, and an instruction sent before a clear display
// could have finished.
const char* const kHandMadeStream =
    "1 0 0 0 1000000\n"
    "3 0 56 1 1100000\n"
    "5 0 5 0 1100000\n"
    "3 0 1 1 1200000\n"
    "3 0 6 1 1500000\n"
    "5 0 2 0 1500000\n"
    "4 0 72 1 1600000\n"
    "4 0 105 1 1610000\n"
    "4 0 34 1 1620000\n"
    "4 0 92 1 1630000\n"
    "4 0 1 1 1640000\n"
    "3 0 72 1 1700000\n"
    "4 0 31 1 1710000\n"
    "4 0 17 1 1720000\n"
    "3 0 192 1 1800000\n"
    "4 0 65 3 1810000\n"
    "4 0 66 0 1820000\n"
    "4 0 67 1 1830000\n"
    "2 0 0 0 2000000\n";

TEST(PanelStream, DecodesAHandMadeStream) {
    std::vector<StreamRecord> records;
    ASSERT_TRUE(panel::ParseStream(kHandMadeStream, &records));
    const std::vector<std::string> expected = {
        "    +0.000 ms  open device 0",
        "    +0.100 ms  function set: 8-bit, 2 lines, 5x8",
        "    +0.000 ms  wait 5 ms",
        "    +0.100 ms  clear display",
        "    +0.300 ms  entry mode: increment, no shift [busy: 0.300 ms after clear display, which takes 1.520 ms]",
        "    +0.000 ms  wait 2 ms",
        R"(    +0.100 ms  data "Hi\"\\\x01")",
        "    +0.060 ms  set CGRAM address 0x08 (pattern 1, row 0)",
        R"(    +0.010 ms  CGRAM data "\x1F\x11")",
        "    +0.080 ms  set DDRAM address 0x40",
        R"(    +0.010 ms  data "A" (length 3, first byte recorded only))",
        "    +0.010 ms  data write of length 0 (nothing sent)",
        R"(    +0.010 ms  data "C")",
        "    +0.170 ms  close device 0",
    };
    EXPECT_EQ(panel::DecodeStream(records), expected);
}

TEST(PanelStream, ReplayFeedsTheWritesThatReachedTheBus) {
    std::vector<StreamRecord> records;
    ASSERT_TRUE(panel::ParseStream(kHandMadeStream, &records));
    Hd44780Model model;
    EXPECT_EQ(panel::Replay(records, model), 14u);
    EXPECT_EQ(model.DdramAt(0x00), 'H');
    EXPECT_EQ(model.DdramAt(0x04), 0x01);
    EXPECT_EQ(model.Cgram()[8], 0x1F);
    EXPECT_EQ(model.Cgram()[9], 0x11);
    EXPECT_EQ(model.DdramAt(0x40), 'A');
    EXPECT_EQ(model.DdramAt(0x41), 'C') << "the write of length 0 sent nothing";
    EXPECT_EQ(model.AddressCounter(), 0x42);
}

TEST(PanelStream, SeveralDevicesAreKeptApart) {
    const std::string text =
        "3 1 56 1 0\n"
        "3 2 56 1 0\n"
        "4 1 65 1 0\n"
        "4 2 66 1 0\n"
        "4 1 67 1 0\n";
    std::vector<StreamRecord> records;
    ASSERT_TRUE(panel::ParseStream(text, &records));
    EXPECT_EQ(panel::DevicesWithWrites(records), (std::vector<uint32_t>{1, 2}));

    Hd44780Model one;
    EXPECT_EQ(panel::Replay(records, one, 1u), 3u);
    EXPECT_EQ(one.DdramAt(0x00), 'A');
    EXPECT_EQ(one.DdramAt(0x01), 'C');

    const std::vector<std::string> expected = {
        "    +0.000 ms  [device 1] function set: 8-bit, 2 lines, 5x8",
        "    +0.000 ms  [device 2] function set: 8-bit, 2 lines, 5x8",
        R"(    +0.000 ms  [device 1] data "A")",
        R"(    +0.000 ms  [device 2] data "B")",
        R"(    +0.000 ms  [device 1] data "C")",
    };
    EXPECT_EQ(panel::DecodeStream(records), expected);
}

TEST(PanelStream, DecodesTheFourBitProtocolAsNibbles) {
    const std::string text =
        "3 0 32 1 0\n"     // 0x20 on the 8-bit bus: switch to 4 bits
        "3 0 32 1 0\n"     // high nibble 2
        "3 0 128 1 0\n"    // low nibble 8: 0x28
        "4 0 64 1 0\n"     // data high nibble 4
        "4 0 16 1 0\n"     // data low nibble 1: 'A'
        "3 0 0 1 0\n"      // high nibble 0
        "3 0 16 1 0\n";    // low nibble 1: clear display
    std::vector<StreamRecord> records;
    ASSERT_TRUE(panel::ParseStream(text, &records));
    const std::vector<std::string> expected = {
        "    +0.000 ms  function set: 4-bit, 1 line, 5x8 (4-bit bus from here: one nibble per write)",
        "    +0.000 ms  instruction high nibble 0x2 (4-bit bus)",
        "    +0.000 ms  function set: 4-bit, 2 lines, 5x8 (4-bit bus, low nibble 0x8)",
        "    +0.000 ms  data high nibble 0x4 (4-bit bus)",
        R"(    +0.000 ms  data "A" (4-bit bus, low nibble 0x1))",
        "    +0.000 ms  instruction high nibble 0x0 (4-bit bus)",
        "    +0.000 ms  clear display (4-bit bus, low nibble 0x1)",
    };
    EXPECT_EQ(panel::DecodeStream(records), expected);
}

TEST(PanelStream, InstructionNames) {
    const struct {
        uint8_t byte;
        const char* name;
    } cases[] = {
        {0x00, "no instruction (0x00)"},
        {0x01, "clear display"},
        {0x02, "return home"},
        {0x03, "return home"},
        {0x04, "entry mode: decrement, no shift"},
        {0x07, "entry mode: increment, display shift"},
        {0x08, "display control: display off, cursor off, blink off"},
        {0x0D, "display control: display on, cursor off, blink on"},
        {0x0E, "display control: display on, cursor on, blink off"},
        {0x10, "cursor shift left"},
        {0x14, "cursor shift right"},
        {0x18, "display shift left"},
        {0x1F, "display shift right"},
        {0x20, "function set: 4-bit, 1 line, 5x8"},
        {0x34, "function set: 8-bit, 1 line, 5x10"},
        {0x38, "function set: 8-bit, 2 lines, 5x8"},
        {0x3C, "function set: 8-bit, 2 lines, 5x8 (5x10 not available with 2 lines)"},
        {0x40, "set CGRAM address 0x00 (pattern 0, row 0)"},
        {0x7F, "set CGRAM address 0x3F (pattern 7, row 7)"},
        {0x80, "set DDRAM address 0x00"},
        {0xC0, "set DDRAM address 0x40"},
        {0xFF, "set DDRAM address 0x7F"},
    };
    for (const auto& c : cases) EXPECT_EQ(panel::InstructionName(c.byte), c.name) << "byte " << +c.byte;
}

}  // namespace
