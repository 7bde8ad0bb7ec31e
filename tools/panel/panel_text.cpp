#include "panel_text.h"

#include <algorithm>
#include <array>

namespace panel {

namespace {

constexpr std::array<const char*, 8> kMarkers = {"⓪", "①", "②", "③", "④", "⑤", "⑥", "⑦"};

std::string Repeat(const char* piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

}  // namespace

std::string CgramMarker(uint8_t code) { return kMarkers[code & 0x07]; }

std::string RenderFrame(const std::vector<std::vector<uint8_t>>& codes) {
    std::vector<std::string> lines;
    std::vector<int> widths;
    int inner = 0;
    for (const auto& row : codes) {
        std::string line;
        int width = 0;
        for (const uint8_t code : row) {
            if (IsCgramCode(code)) {
                line += CgramMarker(code);
                width += 1;
            } else {
                line += RomCodeToUtf8(code);
                width += RomCodeColumns(code);
            }
        }
        inner = std::max(inner, width);
        lines.push_back(std::move(line));
        widths.push_back(width);
    }
    std::string out = "┌" + Repeat("─", inner) + "┐\n";
    for (std::size_t i = 0; i < lines.size(); ++i)
        out += "│" + lines[i] + std::string(static_cast<std::size_t>(inner - widths[i]), ' ') + "│\n";
    out += "└" + Repeat("─", inner) + "┘\n";
    return out;
}

std::string RenderCgramLegend(const Hd44780Model& model, const std::vector<int>& patterns) {
    if (patterns.empty()) return "";
    const std::string separator = "  ";
    std::string out;
    // Marker line: each marker is one column wide, padded to the 5-dot width.
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        if (i) out += separator;
        out += CgramMarker(static_cast<uint8_t>(patterns[i])) + "    ";
    }
    out += '\n';
    for (int row = 0; row < 8; ++row) {
        for (std::size_t i = 0; i < patterns.size(); ++i) {
            if (i) out += separator;
            const uint8_t bits = model.PatternRow(static_cast<uint8_t>(patterns[i] & 0x07), row);
            for (int dot = 4; dot >= 0; --dot) out += (bits >> dot) & 1 ? "█" : "·";
        }
        out += '\n';
    }
    return out;
}

std::string RenderPanelText(const Hd44780Model& model, PanelGeometry geometry) {
    const auto codes = VisibleCodes(model, geometry);
    std::string out = RenderFrame(codes);
    if (!model.DisplayOn()) out += "display off\n";
    if (const auto cursor = VisibleCursor(model, geometry)) {
        out += "cursor: row " + std::to_string(cursor->row + 1) + ", column " +
               std::to_string(cursor->column + 1) + " (";
        out += cursor->underline && cursor->blink ? "underline, blink" : cursor->underline ? "underline" : "blink";
        out += ")\n";
    }
    std::array<bool, 8> used{};
    for (const auto& row : codes)
        for (const uint8_t code : row)
            if (IsCgramCode(code)) used[code & 0x07] = true;
    std::vector<int> patterns;
    for (int p = 0; p < 8; ++p)
        if (used[static_cast<std::size_t>(p)]) patterns.push_back(p);
    out += RenderCgramLegend(model, patterns);
    return out;
}

}  // namespace panel
