// Replaying recorded bridge streams into a controller model, and decoding them
// into readable lines (see bridge_stream.h).
#include "bridge_stream.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace panel {

namespace {

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

std::string Hex1(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%X", value & 0xFu);
    return text;
}

std::string Milliseconds(int64_t ns) {
    char text[40];
    std::snprintf(text, sizeof text, "%.3f ms", static_cast<double>(ns) / 1e6);
    return text;
}

std::string Gap(int64_t ns) {
    char text[40];
    std::snprintf(text, sizeof text, "%+10.3f ms", static_cast<double>(ns) / 1e6);
    return text;
}

bool IsClearOrHome(uint8_t instruction) { return instruction == 0x01 || (instruction & 0xFE) == 0x02; }

}  // namespace

std::vector<uint32_t> DevicesWithWrites(const std::vector<StreamRecord>& records) {
    std::vector<uint32_t> devices;
    for (const StreamRecord& r : records)
        if (IsWrite(r.kind) && std::find(devices.begin(), devices.end(), r.device) == devices.end())
            devices.push_back(r.device);
    return devices;
}

std::size_t Replay(const std::vector<StreamRecord>& records, Hd44780Model& model, std::optional<uint32_t> device) {
    std::size_t fed = 0;
    for (const StreamRecord& r : records) {
        if (!IsWrite(r.kind) || r.length == 0) continue;
        if (device && r.device != *device) continue;
        const auto byte = static_cast<uint8_t>(r.byte);
        if (r.kind == StreamKind::Instruction)
            model.Instruction(byte);
        else
            model.Data(byte);
        ++fed;
    }
    return fed;
}

std::string InstructionName(uint8_t b) {
    if (b & 0x80) return "set DDRAM address " + Hex2(b & 0x7Fu);
    if (b & 0x40) {
        const unsigned address = b & 0x3Fu;
        return "set CGRAM address " + Hex2(address) + " (pattern " + std::to_string(address / 8) + ", row " +
               std::to_string(address % 8) + ")";
    }
    if (b & 0x20) {
        const bool twoLines = (b & 0x08) != 0;
        const bool fontBit = (b & 0x04) != 0;
        std::string name = std::string("function set: ") + ((b & 0x10) ? "8-bit" : "4-bit") + ", " +
                           (twoLines ? "2 lines" : "1 line") + ", ";
        if (!fontBit) return name + "5x8";
        return name + (twoLines ? "5x8 (5x10 not available with 2 lines)" : "5x10");
    }
    if (b & 0x10) {
        return std::string((b & 0x08) ? "display" : "cursor") + " shift " + ((b & 0x04) ? "right" : "left");
    }
    if (b & 0x08) {
        return std::string("display control: display ") + ((b & 0x04) ? "on" : "off") + ", cursor " +
               ((b & 0x02) ? "on" : "off") + ", blink " + ((b & 0x01) ? "on" : "off");
    }
    if (b & 0x04) {
        return std::string("entry mode: ") + ((b & 0x02) ? "increment" : "decrement") + ", " +
               ((b & 0x01) ? "display shift" : "no shift");
    }
    if (b & 0x02) return "return home";
    if (b & 0x01) return "clear display";
    return "no instruction (0x00)";
}

std::string QuoteBytes(const std::vector<uint8_t>& bytes) {
    std::string out = "\"";
    for (const uint8_t u : bytes) {
        if (u == '"' || u == '\\') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u >= 0x20 && u < 0x7F) {
            out += static_cast<char>(u);
        } else {
            char text[8];
            std::snprintf(text, sizeof text, "\\x%02X", u);
            out += text;
        }
    }
    return out + "\"";
}

std::vector<std::string> DecodeStream(const std::vector<StreamRecord>& records) {
    // Per device: a model that follows the bus width and which RAM data go into, and
    // the last clear/home still possibly running.
    struct DeviceState {
        Hd44780Model model;
        std::optional<int64_t> slowStartNs;
        std::string slowName;
        uint64_t waitedMs = 0;
    };
    std::map<uint32_t, DeviceState> devices;
    const bool nameDevices = DevicesWithWrites(records).size() > 1;

    // " [busy: ...]" when this write comes before the last clear/home has finished.
    auto busyNote = [](DeviceState& d, int64_t timeNs) -> std::string {
        if (!d.slowStartNs) return "";
        const int64_t waitedNs = static_cast<int64_t>(std::min<uint64_t>(d.waitedMs, 1u << 30)) * 1'000'000;
        const int64_t elapsed = std::max(timeNs - *d.slowStartNs, waitedNs);
        if (elapsed >= kClearHomeNs) {
            d.slowStartNs.reset();
            return "";
        }
        return " [busy: " + Milliseconds(elapsed) + " after " + d.slowName + ", which takes " +
               Milliseconds(kClearHomeNs) + "]";
    };
    auto dataLabel = [](RamSelect ram) { return ram == RamSelect::Cgram ? "CGRAM data " : "data "; };

    std::vector<std::string> lines;
    int64_t previousNs = records.empty() ? 0 : records.front().timeNs;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const StreamRecord& r = records[i];
        std::string line = Gap(r.timeNs - previousNs) + "  ";
        previousNs = r.timeNs;
        switch (r.kind) {
        case StreamKind::Open:
            lines.push_back(line + "open device " + std::to_string(r.device));
            continue;
        case StreamKind::Close:
            lines.push_back(line + "close device " + std::to_string(r.device));
            continue;
        case StreamKind::Wait:
            for (auto& entry : devices) entry.second.waitedMs += r.byte;
            lines.push_back(line + "wait " + std::to_string(r.byte) + " ms");
            continue;
        case StreamKind::Instruction:
        case StreamKind::Data:
            break;
        }

        const bool instruction = r.kind == StreamKind::Instruction;
        DeviceState& d = devices[r.device];
        if (nameDevices) line += "[device " + std::to_string(r.device) + "] ";
        if (r.length == 0) {
            lines.push_back(line + (instruction ? "instruction" : "data") + " write of length 0 (nothing sent)");
            continue;
        }
        const auto byte = static_cast<uint8_t>(r.byte);
        const std::string busy = busyNote(d, r.timeNs);
        const std::string lengthNote =
            r.length > 1 ? " (length " + std::to_string(r.length) + ", first byte recorded only)" : "";

        if (!d.model.EightBitBus()) {
            // 4-bit protocol: each write carries bits 7-4 only.
            const unsigned nibble = byte >> 4;
            if (!d.model.NibblePending()) {
                line += std::string(instruction ? "instruction" : "data") + " high nibble " + Hex1(nibble) +
                        " (4-bit bus)";
            } else {
                const auto full = static_cast<uint8_t>((d.model.PendingHighNibble() << 4) | nibble);
                if (instruction) {
                    line += InstructionName(full);
                    if (IsClearOrHome(full)) {
                        d.slowStartNs = r.timeNs;
                        d.slowName = InstructionName(full);
                        d.waitedMs = 0;
                    }
                } else {
                    line += dataLabel(d.model.SelectedRam()) + QuoteBytes({full});
                }
                line += " (4-bit bus, low nibble " + Hex1(nibble) + ")";
            }
            if (instruction)
                d.model.Instruction(byte);
            else
                d.model.Data(byte);
            lines.push_back(line + lengthNote + busy);
            continue;
        }

        if (instruction) {
            d.model.Instruction(byte);
            line += InstructionName(byte);
            if (!d.model.EightBitBus()) line += " (4-bit bus from here: one nibble per write)";
            if (IsClearOrHome(byte)) {
                d.slowStartNs = r.timeNs;
                d.slowName = InstructionName(byte);
                d.waitedMs = 0;
            }
            lines.push_back(line + lengthNote + busy);
            continue;
        }

        // Data: merge following one-byte data writes to the same device into one run,
        // unless one of them needs its own busy flag.
        const RamSelect ram = d.model.SelectedRam();
        std::vector<uint8_t> run = {byte};
        d.model.Data(byte);
        if (r.length == 1 && busy.empty()) {
            while (i + 1 < records.size()) {
                const StreamRecord& next = records[i + 1];
                if (next.kind != StreamKind::Data || next.device != r.device || next.length != 1 || d.slowStartNs)
                    break;
                run.push_back(static_cast<uint8_t>(next.byte));
                d.model.Data(static_cast<uint8_t>(next.byte));
                previousNs = next.timeNs;
                ++i;
            }
        }
        lines.push_back(line + dataLabel(ram) + QuoteBytes(run) + lengthNote + busy);
    }
    return lines;
}

}  // namespace panel
