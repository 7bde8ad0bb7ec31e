// Turns a recorded bridge stream into readable lines: controller instructions by
// name, data bytes merged into text runs, waits, and the time since the previous
// record. Portable C++; used by the demo host and by tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge_stub.h"

namespace bridge_decode {

// What an instruction byte tells the controller, e.g. 0x38 ->
// "function set 8-bit, 2 lines, 5x8 dots", 0xC0 -> "set DDRAM address 0x40".
std::string instructionName(uint8_t byte);

// Bytes as a double-quoted string: printable ASCII as is (with \" and \\ escaped),
// every other byte as \xNN.
std::string quote(std::string_view bytes);

// One line per record, except that consecutive data writes of one byte each to
// the same device and the same memory (display or character generator) make a
// single line. Each line starts with the time since the previous record in ms.
std::vector<std::string> decode(const std::vector<BridgeRecord>& records);

// Parses a line of the VANTREL_BRIDGE_LOG stream file ("kind device byte length timeNs").
std::optional<BridgeRecord> parseStreamLine(std::string_view line);

}  // namespace bridge_decode
