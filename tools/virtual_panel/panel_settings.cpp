#include "panel_settings.h"

#include <charconv>

#include "panel_raster.h"

namespace virtual_panel {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

bool ApplySetting(PanelSettings& settings, std::string_view key, std::string_view value) {
    key = Trim(key);
    value = Trim(value);
    if (key == "size") {
        const auto geometry = panel::ParseGeometry(value);
        if (!geometry) return false;
        settings.geometry = *geometry;
        return true;
    }
    if (key == "scale") {
        int scale = 0;
        const auto result = std::from_chars(value.data(), value.data() + value.size(), scale);
        if (value.empty() || result.ec != std::errc() || result.ptr != value.data() + value.size() ||
            scale < panel::kMinScale || scale > panel::kMaxScale)
            return false;
        settings.scale = scale;
        return true;
    }
    return false;
}

void ApplySettingsText(PanelSettings& settings, std::string_view text) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[') continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        ApplySetting(settings, line.substr(0, equals), line.substr(equals + 1));
    }
}

int ScaleToUse(const PanelSettings& settings, int extraWidth, int extraHeight, int screenWidth, int screenHeight) {
    if (settings.scale) return *settings.scale;
    for (int scale = 3; scale > 1; --scale) {
        if (panel::PanelImageWidth(settings.geometry, scale) + extraWidth <= screenWidth &&
            panel::PanelImageHeight(settings.geometry, scale) + extraHeight <= screenHeight)
            return scale;
    }
    return 1;
}

}  // namespace virtual_panel
