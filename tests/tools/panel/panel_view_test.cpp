// What the panel shows: row starts, cell addresses, the cursor, geometry names, and
// the A00 ROM's characters as Unicode.
#include <cctype>
#include <optional>

#include "panel_test_support.h"

namespace {

TEST(PanelView, RowStartsFollowTheControllerLines) {
    const struct {
        PanelGeometry geometry;
        std::vector<uint8_t> starts;
    } cases[] = {
        {{8, 1}, {0x00}},
        {{16, 2}, {0x00, 0x40}},
        {{40, 2}, {0x00, 0x40}},
        {{16, 4}, {0x00, 0x40, 0x10, 0x50}},
        {{20, 4}, {0x00, 0x40, 0x14, 0x54}},
    };
    for (const auto& c : cases) {
        for (int row = 0; row < c.geometry.rows; ++row)
            EXPECT_EQ(panel::RowStartAddress(c.geometry, row), c.starts[static_cast<std::size_t>(row)])
                << panel::GeometryName(c.geometry) << " row " << row;
    }
}

TEST(PanelView, CellAddressesCoverEachLineWithoutOverlap) {
    Hd44780Model model;
    Feed(model, kStartUp);
    // A 40x2 panel shows every cell of both lines once; a 20x4 the same 80 cells.
    for (const PanelGeometry g : {PanelGeometry{40, 2}, PanelGeometry{20, 4}}) {
        std::vector<int> seen(128, 0);
        for (int row = 0; row < g.rows; ++row)
            for (int column = 0; column < g.columns; ++column) ++seen[*panel::CellAddress(model, g, row, column)];
        for (int address = 0; address < 128; ++address) {
            const bool exists = address <= 0x27 || (address >= 0x40 && address <= 0x67);
            EXPECT_EQ(seen[static_cast<std::size_t>(address)], exists ? 1 : 0)
                << panel::GeometryName(g) << " address " << address;
        }
    }
    EXPECT_FALSE(panel::CellAddress(model, k16x2, 2, 0).has_value());
    EXPECT_FALSE(panel::CellAddress(model, k16x2, 0, 16).has_value());
}

TEST(PanelView, CursorShowsOnlyWhenOnAndVisible) {
    struct Case {
        const char* name;
        std::vector<Op> ops;
        PanelGeometry geometry;
        std::optional<panel::CursorCell> cursor;
    };
    const std::vector<Case> cases = {
        {"cursor off", {I(0xC5)}, k20x4, std::nullopt},
        {"underline", {I(0x0E), I(0xC5)}, k20x4, panel::CursorCell{1, 5, true, false}},
        {"blink only, on row 3", {I(0x0D), I(0x80 | 0x17)}, k20x4, panel::CursorCell{2, 3, false, true}},
        {"underline and blink, on row 4", {I(0x0F), I(0xD5)}, k20x4, panel::CursorCell{3, 1, true, true}},
        {"display off hides it", {I(0x0B), I(0x80)}, k20x4, std::nullopt},
        {"address without a cell", {I(0x0F), I(0x80 | 0x30)}, k20x4, std::nullopt},
        {"beyond the columns of a 16x2", {I(0x0F), I(0x80 | 0x27)}, k16x2, std::nullopt},
        {"shifted into view", {I(0x0F), I(0x80 | 0x27), I(0x1C)}, k16x2, panel::CursorCell{0, 0, true, true}},
        {"shifted out of view", {I(0x0F), I(0x80 | 0x00), I(0x18)}, k16x2, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Hd44780Model model;
        Feed(model, Then(kStartUp, c.ops));
        EXPECT_EQ(panel::VisibleCursor(model, c.geometry), c.cursor);
    }
}

TEST(PanelView, GeometryNames) {
    for (const PanelGeometry& g : panel::SupportedGeometries()) EXPECT_EQ(panel::ParseGeometry(panel::GeometryName(g)), g);
    EXPECT_EQ(panel::SupportedGeometries().size(), 12u);
    for (const char* bad : {"40x4", "20x", "x4", "20x4x", " 20x4", "20X4", "", "abc", "-8x1", "8x+1"})
        EXPECT_FALSE(panel::ParseGeometry(bad).has_value()) << bad;
}

// The code point of a UTF-8 string holding exactly one character; -1 otherwise.
long SingleCodePoint(const std::string& s) {
    const auto* u = reinterpret_cast<const unsigned char*>(s.data());
    if (s.size() == 1 && u[0] < 0x80) return u[0];
    if (s.size() == 2 && (u[0] & 0xE0) == 0xC0 && (u[1] & 0xC0) == 0x80) return ((u[0] & 0x1F) << 6) | (u[1] & 0x3F);
    if (s.size() == 3 && (u[0] & 0xF0) == 0xE0 && (u[1] & 0xC0) == 0x80 && (u[2] & 0xC0) == 0x80)
        return ((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F);
    return -1;
}

TEST(PanelRomCodes, A00CharactersAsUnicode) {
    const struct {
        uint8_t code;
        const char* text;
    } cases[] = {
        {0x20, " "}, {0x41, "A"}, {0x5B, "["}, {0x5C, "¥"}, {0x5D, "]"}, {0x7D, "}"}, {0x7E, "→"},
        {0x7F, "←"}, {0xA1, "｡"}, {0xB1, "ｱ"}, {0xDF, "ﾟ"}, {0xE0, "α"}, {0xE4, "μ"}, {0xE9, "⁻¹"},
        {0xEF, "ö"}, {0xF4, "Ω"}, {0xF7, "π"}, {0xFC, "円"}, {0xFD, "÷"}, {0xFF, "█"}, {0x00, ""},
        {0x0F, ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(panel::RomCodeToUtf8(c.code), c.text) << "code " << +c.code;

    for (int code = 0xA1; code <= 0xDF; ++code)
        EXPECT_EQ(SingleCodePoint(panel::RomCodeToUtf8(static_cast<uint8_t>(code))), 0xFF61 + (code - 0xA1))
            << "code " << code;
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<uint8_t>(code);
        const bool blank = (code >= 0x10 && code <= 0x1F) || (code >= 0x80 && code <= 0xA0) || code == 0xFE;
        ASSERT_NE(panel::RomCodeToUtf8(c), nullptr);
        if (blank) {
            EXPECT_STREQ(panel::RomCodeToUtf8(c), " ") << "code " << code;
        }
        if (code >= 0x20 && code <= 0x7D && code != 0x5C) {
            EXPECT_EQ(SingleCodePoint(panel::RomCodeToUtf8(c)), code);
        }
    }
}

}  // namespace
