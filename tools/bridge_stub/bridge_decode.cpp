#include "bridge_decode.h"

#include <charconv>
#include <cstdio>

namespace bridge_decode {
namespace {

std::string hexByte(uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value & 0xFF));
    return text;
}

std::string milliseconds(int64_t ns, bool sign) {
    char text[32];
    std::snprintf(text, sizeof text, sign ? "%+10.3f ms" : "%.3f ms", static_cast<double>(ns) / 1e6);
    return text;
}

std::string deviceSuffix(const BridgeRecord& r) {
    return r.device == 0 ? std::string() : " [device " + std::to_string(r.device) + "]";
}

// Which memory the controller's data register writes into: instructions that set
// an address (or clear / return home) switch it.
enum class Memory { Display, CharGen };

void track(Memory& memory, uint8_t instruction) {
    if (instruction & 0x80)
        memory = Memory::Display;
    else if (instruction & 0x40)
        memory = Memory::CharGen;
    else if (instruction == 0x01 || (instruction & 0xFE) == 0x02)
        memory = Memory::Display;
}

}  // namespace

std::string instructionName(uint8_t b) {
    if (b & 0x80) return "set DDRAM address " + hexByte(b & 0x7F);
    if (b & 0x40) return "set CGRAM address " + hexByte(b & 0x3F);
    if (b & 0x20) {
        return std::string("function set ") + ((b & 0x10) ? "8-bit" : "4-bit") + ", " +
               ((b & 0x08) ? "2 lines" : "1 line") + ", " + ((b & 0x04) ? "5x10 dots" : "5x8 dots");
    }
    if (b & 0x10) {
        return std::string("shift ") + ((b & 0x08) ? "display" : "cursor") + " " +
               ((b & 0x04) ? "right" : "left");
    }
    if (b & 0x08) {
        std::string name = (b & 0x04) ? "display on" : "display off";
        if (b & 0x02) name += ", cursor on";
        if (b & 0x01) name += ", blink on";
        return name;
    }
    if (b & 0x04) {
        return std::string("entry mode ") + ((b & 0x02) ? "increment" : "decrement") +
               ((b & 0x01) ? ", shift display" : "");
    }
    if (b & 0x02) return "return home";
    if (b & 0x01) return "clear display";
    return "no instruction (0x00)";
}

std::string quote(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            char text[8];
            std::snprintf(text, sizeof text, "\\x%02X", u);
            out += text;
        }
    }
    return out + "\"";
}

std::vector<std::string> decode(const std::vector<BridgeRecord>& records) {
    std::vector<std::string> lines;
    Memory memory = Memory::Display;
    size_t i = 0;
    while (i < records.size()) {
        const BridgeRecord& r = records[i];
        const int64_t gap = i == 0 ? 0 : r.timeNs - records[i - 1].timeNs;
        std::string text;
        size_t next = i + 1;
        switch (r.kind) {
            case BridgeOpen:
                text = "open device " + std::to_string(r.device);
                break;
            case BridgeClose:
                text = "close device " + std::to_string(r.device);
                break;
            case BridgeWait:
                text = "wait " + std::to_string(r.byte) + " ms";
                break;
            case BridgeInstruction:
                text = "instr " + hexByte(r.byte) + "  " + instructionName(static_cast<uint8_t>(r.byte)) +
                       deviceSuffix(r);
                if (r.lengthOnEntry != 1) text += " (length " + std::to_string(r.lengthOnEntry) + ")";
                track(memory, static_cast<uint8_t>(r.byte));
                break;
            case BridgeData: {
                std::string run(1, static_cast<char>(r.byte));
                if (r.lengthOnEntry == 1) {
                    while (next < records.size() && records[next].kind == BridgeData &&
                           records[next].device == r.device && records[next].lengthOnEntry == 1) {
                        run += static_cast<char>(records[next].byte);
                        ++next;
                    }
                }
                if (memory == Memory::CharGen) {
                    text = "cgram data";
                    for (const char c : run) text += " " + hexByte(static_cast<unsigned char>(c));
                } else {
                    text = "data " + quote(run);
                }
                text += deviceSuffix(r);
                if (r.lengthOnEntry != 1) text += " (length " + std::to_string(r.lengthOnEntry) + ")";
                if (run.size() > 1) {
                    text += "  (" + std::to_string(run.size()) + " bytes in " +
                            milliseconds(records[next - 1].timeNs - r.timeNs, false) + ")";
                }
                break;
            }
            default:
                text = "unknown record kind " + std::to_string(r.kind);
                break;
        }
        lines.push_back(milliseconds(gap, true) + "  " + text);
        i = next;
    }
    return lines;
}

std::optional<BridgeRecord> parseStreamLine(std::string_view line) {
    uint32_t fields[4];
    int64_t time = 0;
    const char* p = line.data();
    const char* const end = line.data() + line.size();
    const auto skipSpaces = [&] {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
    };
    for (uint32_t& field : fields) {
        skipSpaces();
        const auto [after, error] = std::from_chars(p, end, field);
        if (error != std::errc() || after == p) return std::nullopt;
        p = after;
    }
    skipSpaces();
    const auto [after, error] = std::from_chars(p, end, time);
    if (error != std::errc() || after == p) return std::nullopt;
    p = after;
    skipSpaces();
    if (p != end) return std::nullopt;
    return BridgeRecord{fields[0], fields[1], fields[2], fields[3], time};
}

}  // namespace bridge_decode
