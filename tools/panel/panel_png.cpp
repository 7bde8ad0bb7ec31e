#include "panel_png.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace panel {

namespace {

// libpng reports errors through this: keep the message, then unwind to the setjmp.
void PngError(png_structp png, png_const_charp message) {
    if (auto* error = static_cast<std::string*>(png_get_error_ptr(png))) *error = message;
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// Kept free of objects with destructors: libpng errors longjmp out of it.
bool WritePngRows(png_structp png, png_infop info, std::FILE* file, const RgbImage& image, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const RgbImage& image, std::string* error) {
    std::string message;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3) {
        if (error) *error = "no image to write";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        if (error) *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(image.pixels.data() + y * static_cast<std::size_t>(image.width) * 3);

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && WritePngRows(png, info, file, image, rows.data());
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        message = std::strerror(errno);
    }
    if (!ok) {
        std::remove(path.c_str());
        if (error) *error = "cannot write " + path + (message.empty() ? std::string() : ": " + message);
    }
    return ok;
}

bool WritePanelPng(const std::string& path, const Hd44780Model& model, PanelGeometry geometry, int scale,
                   std::string* error) {
    PanelImageOptions options;
    options.scale = scale;
    const RgbImage image = RenderPanelImage(model, geometry, options);
    if (image.width == 0) {
        if (error)
            *error = "scale must be " + std::to_string(kMinScale) + " to " + std::to_string(kMaxScale) +
                     " and the panel not empty";
        return false;
    }
    return WritePng(path, image, error);
}

}  // namespace panel
