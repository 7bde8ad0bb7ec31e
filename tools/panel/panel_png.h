// PNG files of the panel, drawn by the rasterizer of panel_raster.h.
#pragma once

#include <string>

#include "hd44780_model.h"
#include "panel_raster.h"
#include "panel_view.h"

namespace panel {

// Writes an RGB PNG. On failure returns false and, if `error` is given, says why.
bool WritePng(const std::string& path, const RgbImage& image, std::string* error = nullptr);

// RenderPanelImage with default colours at `scale`, written to `path`.
bool WritePanelPng(const std::string& path, const Hd44780Model& model, PanelGeometry geometry, int scale,
                   std::string* error = nullptr);

}  // namespace panel
