// What the virtual panel shows: the panel's size and the pixels per dot of its
// window. The bridge never learns the geometry the host chose, so the user names it:
// in a settings file beside the DLL (kSettingsFileName), one "key=value" per line,
//   size=16x2     one of the 12 sizes the driver knows (default 20x4)
//   scale=2       pixels per dot, 1 to 32 (default: the largest of 3, 2, 1 that fits
//                 the screen)
// with blank lines, and lines starting with '#', ';' or '[', ignored; or in the
// environment variables VANTREL_PANEL_SIZE and VANTREL_PANEL_SCALE, which win over
// the file. A value that is not understood leaves the setting as it was.
//
// No OS dependency: the bridge reads the file and the environment and hands the
// texts to these functions.
#pragma once

#include <optional>
#include <string_view>

#include "panel_view.h"

namespace virtual_panel {

inline constexpr const char* kSettingsFileName = "virtual-panel.ini";
inline constexpr const char* kSizeVariable = "VANTREL_PANEL_SIZE";
inline constexpr const char* kScaleVariable = "VANTREL_PANEL_SCALE";

struct PanelSettings {
    panel::PanelGeometry geometry{20, 4};
    std::optional<int> scale;  // none: fit the screen
};

// Applies one setting; false (settings unchanged) for an unknown key or a value
// that is not understood. Keys are "size" and "scale"; blanks around both are ignored.
bool ApplySetting(PanelSettings& settings, std::string_view key, std::string_view value);

// Applies every "key=value" line of a settings file's text, in order.
void ApplySettingsText(PanelSettings& settings, std::string_view text);

// The scale to draw with: the chosen one, or else the largest of 3, 2 and 1 at which
// a window `extraWidth` x `extraHeight` pixels larger than the picture (its frame and
// title) fits a screen area of `screenWidth` x `screenHeight` (1 when none fits).
int ScaleToUse(const PanelSettings& settings, int extraWidth, int extraHeight, int screenWidth, int screenHeight);

}  // namespace virtual_panel
