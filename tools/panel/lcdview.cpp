// lcdview: replays a recorded bridge stream through the controller model and shows
// what the panel would display.
//
//   lcdview [--geometry CxR] [--png FILE] [--scale N] [--decode] [--device N] STREAMFILE
//
// Prints the decoded stream first with --decode, then always the panel as terminal
// text; --png also writes the panel picture. Exit status: 0 done, 1 the stream could
// not be read or the PNG not written, 2 bad arguments.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge_stream.h"
#include "hd44780_model.h"
#include "panel_png.h"
#include "panel_text.h"
#include "panel_view.h"

namespace {

constexpr const char* kDefaultGeometry = "20x4";

void PrintUsage(std::ostream& out) {
    out << "usage: lcdview [--geometry CxR] [--png FILE] [--scale N] [--decode] [--device N] STREAMFILE\n"
           "  STREAMFILE      recorded bridge stream, lines \"kind device byte length timeNs\"\n"
           "  --geometry CxR  panel columns x rows (default "
        << kDefaultGeometry << "); one of:";
    for (const panel::PanelGeometry& g : panel::SupportedGeometries()) out << ' ' << panel::GeometryName(g);
    out << "\n"
           "  --png FILE      also write the panel as a PNG picture\n"
           "  --scale N       pixels per dot in the PNG, "
        << panel::kMinScale << " to " << panel::kMaxScale
        << " (default 3)\n"
           "  --decode        list the stream decoded before the panel\n"
           "  --device N      replay only bridge device N (default: the first device that is written to)\n";
}

int UsageError(const std::string& message) {
    std::cerr << "lcdview: " << message << "\n";
    PrintUsage(std::cerr);
    return 2;
}

template <typename T>
bool ParseNumber(std::string_view text, T* value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv) {
    panel::PanelGeometry geometry = *panel::ParseGeometry(kDefaultGeometry);
    std::optional<std::string> pngPath;
    std::optional<uint32_t> device;
    int scale = 3;
    bool decode = false;
    std::optional<std::string> streamPath;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        // The value of an option that takes one: the next argument.
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string_view(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            PrintUsage(std::cout);
            return 0;
        } else if (arg == "--decode") {
            decode = true;
        } else if (arg == "--geometry") {
            const auto text = value();
            if (!text) return UsageError("--geometry needs a value such as 20x4");
            const auto parsed = panel::ParseGeometry(*text);
            if (!parsed) return UsageError("unsupported geometry \"" + std::string(*text) + "\"");
            geometry = *parsed;
        } else if (arg == "--png") {
            const auto text = value();
            if (!text || text->empty()) return UsageError("--png needs a file name");
            pngPath = std::string(*text);
        } else if (arg == "--scale") {
            const auto text = value();
            if (!text) return UsageError("--scale needs a number");
            if (!ParseNumber(*text, &scale) || scale < panel::kMinScale || scale > panel::kMaxScale)
                return UsageError("--scale must be a whole number from " + std::to_string(panel::kMinScale) +
                                  " to " + std::to_string(panel::kMaxScale) + ", not \"" + std::string(*text) +
                                  "\"");
        } else if (arg == "--device") {
            const auto text = value();
            uint32_t number = 0;
            if (!text || !ParseNumber(*text, &number)) return UsageError("--device needs a device number");
            device = number;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + std::string(arg));
        } else if (streamPath) {
            return UsageError("only one stream file, please (got \"" + *streamPath + "\" and \"" +
                              std::string(arg) + "\")");
        } else {
            streamPath = std::string(arg);
        }
    }
    if (!streamPath) return UsageError("no stream file given");

    std::vector<panel::StreamRecord> records;
    std::string error;
    if (!panel::ReadStreamFile(*streamPath, &records, &error)) {
        std::cerr << "lcdview: " << error << "\n";
        return 1;
    }

    if (decode) {
        for (const std::string& line : panel::DecodeStream(records)) std::cout << line << "\n";
        std::cout << "\n";
    }

    const std::vector<uint32_t> devices = panel::DevicesWithWrites(records);
    if (!device && !devices.empty()) {
        device = devices.front();
        if (devices.size() > 1) {
            std::cerr << "lcdview: the stream writes to " << devices.size() << " devices; showing device "
                      << *device << " (choose with --device)\n";
        }
    }
    if (device && std::find(devices.begin(), devices.end(), *device) == devices.end())
        std::cerr << "lcdview: the stream has no writes to device " << *device << "\n";
    panel::Hd44780Model model;
    panel::Replay(records, model, device);

    std::cout << panel::RenderPanelText(model, geometry);

    if (pngPath) {
        if (!panel::WritePanelPng(*pngPath, model, geometry, scale, &error)) {
            std::cerr << "lcdview: " << error << "\n";
            return 1;
        }
    }
    return std::cout.good() ? 0 : 1;
}
