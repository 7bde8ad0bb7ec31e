#include "panel_view.h"

#include <array>
#include <charconv>

namespace panel {

namespace {

constexpr uint8_t kBlank = 0x20;
constexpr uint8_t kLine2Start = 0x40;

// 0xE0-0xFF of the A00 ROM. Letters drawn with descenders (g, j, p, q, y) map to the
// plain letters; 0xF8 is x with a combining macron (one column).
constexpr std::array<const char*, 32> kHighCodes = {
    "α", "ä", "β", "ε", "μ", "σ", "ρ", "g", "√", "⁻¹", "j", "ˣ", "¢", "£", "ñ", "ö",
    "p", "q", "θ", "∞", "Ω", "ü", "Σ", "π", "x̄", "y", "千", "万", "円", "÷", " ", "█",
};

std::string Utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::array<std::string, 256> BuildRomTable() {
    std::array<std::string, 256> table;
    for (int code = 0; code < 256; ++code) {
        std::string& s = table[static_cast<std::size_t>(code)];
        if (code < 0x10)
            s = "";  // CGRAM
        else if (code < 0x20 || (code >= 0x80 && code <= 0xA0))
            s = " ";
        else if (code == 0x5C)
            s = "¥";
        else if (code == 0x7E)
            s = "→";
        else if (code == 0x7F)
            s = "←";
        else if (code < 0x7E)
            s = std::string(1, static_cast<char>(code));
        else if (code <= 0xDF)
            s = Utf8(static_cast<char32_t>(0xFF61 + (code - 0xA1)));  // half-width katakana
        else
            s = kHighCodes[static_cast<std::size_t>(code - 0xE0)];
    }
    return table;
}

// The line cell (0-based within the line) that a column of a row shows.
int LinePosition(const Hd44780Model& model, PanelGeometry geometry, int row, int column) {
    const int lineLength = model.LineLength();
    const int start = (row / 2) * geometry.columns;
    return (start + column + model.DisplayShift()) % lineLength;
}

bool InPanel(PanelGeometry geometry, int row, int column) {
    return row >= 0 && column >= 0 && row < geometry.rows && column < geometry.columns;
}

}  // namespace

const std::vector<PanelGeometry>& SupportedGeometries() {
    static const std::vector<PanelGeometry> geometries = {
        {8, 1},  {16, 1}, {20, 1}, {40, 1}, {8, 2},  {12, 2},
        {16, 2}, {20, 2}, {24, 2}, {40, 2}, {16, 4}, {20, 4},
    };
    return geometries;
}

std::optional<PanelGeometry> ParseGeometry(std::string_view text) {
    const auto x = text.find('x');
    if (x == std::string_view::npos || x == 0 || x + 1 >= text.size()) return std::nullopt;
    PanelGeometry g;
    const char* first = text.data();
    const char* mid = text.data() + x;
    const char* last = text.data() + text.size();
    const auto c = std::from_chars(first, mid, g.columns);
    const auto r = std::from_chars(mid + 1, last, g.rows);
    if (c.ec != std::errc() || c.ptr != mid || r.ec != std::errc() || r.ptr != last) return std::nullopt;
    for (const PanelGeometry& known : SupportedGeometries())
        if (known == g) return g;
    return std::nullopt;
}

std::string GeometryName(PanelGeometry geometry) {
    return std::to_string(geometry.columns) + "x" + std::to_string(geometry.rows);
}

uint8_t RowStartAddress(PanelGeometry geometry, int row) {
    if (row < 0 || geometry.columns <= 0) return 0;
    const uint8_t lineStart = (row % 2) ? kLine2Start : 0x00;
    return static_cast<uint8_t>(lineStart + ((row / 2) * geometry.columns) % 40);
}

std::optional<uint8_t> CellAddress(const Hd44780Model& model, PanelGeometry geometry, int row,
                                   int column) {
    if (!InPanel(geometry, row, column)) return std::nullopt;
    const bool line2 = (row % 2) != 0;
    if (!model.TwoLines() && line2) return std::nullopt;
    const int position = LinePosition(model, geometry, row, column);
    return static_cast<uint8_t>((line2 ? kLine2Start : 0x00) + position);
}

std::vector<std::vector<uint8_t>> VisibleCodes(const Hd44780Model& model, PanelGeometry geometry) {
    std::vector<std::vector<uint8_t>> codes;
    if (geometry.rows <= 0 || geometry.columns <= 0) return codes;
    codes.assign(static_cast<std::size_t>(geometry.rows),
                 std::vector<uint8_t>(static_cast<std::size_t>(geometry.columns), kBlank));
    if (!model.DisplayOn()) return codes;
    for (int row = 0; row < geometry.rows; ++row) {
        for (int column = 0; column < geometry.columns; ++column) {
            const auto address = CellAddress(model, geometry, row, column);
            if (!address) continue;
            if (const auto code = model.DdramAt(*address))
                codes[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = *code;
        }
    }
    return codes;
}

std::optional<CursorCell> VisibleCursor(const Hd44780Model& model, PanelGeometry geometry) {
    if (!model.DisplayOn() || !(model.CursorOn() || model.BlinkOn())) return std::nullopt;
    if (model.SelectedRam() != RamSelect::Ddram) return std::nullopt;
    for (int row = 0; row < geometry.rows; ++row) {
        for (int column = 0; column < geometry.columns; ++column) {
            if (CellAddress(model, geometry, row, column) == model.AddressCounter())
                return CursorCell{row, column, model.CursorOn(), model.BlinkOn()};
        }
    }
    return std::nullopt;
}

const char* RomCodeToUtf8(uint8_t code) {
    static const std::array<std::string, 256> table = BuildRomTable();
    return table[code].c_str();
}

int RomCodeColumns(uint8_t code) {
    if (IsCgramCode(code)) return 0;
    if (code == 0xE9 || (code >= 0xFA && code <= 0xFC)) return 2;
    return 1;
}

}  // namespace panel
