// Recorded bridge streams: the text file the stand-in bridge writes when
// VANTREL_BRIDGE_LOG is set, one record per line:
//   kind device byte length timeNs
// decimal fields separated by spaces, the kinds as tools/bridge_stub/bridge_record_kinds.h
// numbers them. `length` is the write's length on entry; only
// the first byte of a write is recorded. Lines may end in CR LF.
//
// Replaying feeds the writes into a controller model; decoding lists the stream as
// readable lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge_record_kinds.h"
#include "hd44780_model.h"

namespace panel {

enum class StreamKind : uint32_t {
#define PANEL_STREAM_KIND(name, number) name = number,
    BRIDGE_RECORD_KINDS(PANEL_STREAM_KIND)
#undef PANEL_STREAM_KIND
};

// Instruction and data records: the writes that reach the controller's bus.
constexpr bool IsWrite(StreamKind kind) { return kind == StreamKind::Instruction || kind == StreamKind::Data; }

struct StreamRecord {
    StreamKind kind = StreamKind::Open;
    uint32_t device = 0;
    uint32_t byte = 0;    // the byte written (0-255) for kinds 3 and 4, milliseconds for waits
    uint32_t length = 0;  // the write's length on entry (0 for other kinds)
    int64_t timeNs = 0;   // monotonic time of the call, in ns
    bool operator==(const StreamRecord&) const = default;
};

// One line. On a malformed line returns nullopt and, if `error` is given, says what
// is wrong (field count, a non-decimal field, an unknown kind, a byte above 255).
std::optional<StreamRecord> ParseStreamLine(std::string_view line, std::string* error = nullptr);

// A whole stream; empty lines are skipped. Stops at the first malformed line: returns
// false with "line N: ..." in `error`, leaving the records read so far in `records`.
bool ParseStream(std::string_view text, std::vector<StreamRecord>* records, std::string* error = nullptr);

// ParseStream on a file's contents; false with a message if it cannot be read.
bool ReadStreamFile(const std::string& path, std::vector<StreamRecord>* records, std::string* error = nullptr);

// Devices that have instruction or data records, in order of first appearance.
std::vector<uint32_t> DevicesWithWrites(const std::vector<StreamRecord>& records);

// Feeds the instruction (Instruction()) and data (Data()) records into `model`, in
// order; only those of `device` when one is given. A write of length 0 sent nothing
// and is skipped; a longer write is fed its recorded first byte. Returns the number of
// bytes fed.
std::size_t Replay(const std::vector<StreamRecord>& records, Hd44780Model& model,
                   std::optional<uint32_t> device = std::nullopt);

// What an instruction byte does, with its fields, e.g. 0x38 -> "function set: 8-bit,
// 2 lines, 5x8", 0xC0 -> "set DDRAM address 0x40", 0x01 -> "clear display".
std::string InstructionName(uint8_t byte);

// Bytes as a double-quoted string: printable ASCII as is (with \" and \\ escaped),
// every other byte as \xNN.
std::string QuoteBytes(const std::vector<uint8_t>& bytes);

// The clear/home execution time of the datasheet (270 kHz), used to flag writes made
// while the controller is still busy.
constexpr int64_t kClearHomeNs = 1'520'000;

// The stream as readable lines. Each line starts with the time since the previous
// record ("+%.3f ms", 0 for the first), then:
//   open device N / close device N / wait N ms
//   an instruction by name (InstructionName)
//   data "Hello"         consecutive one-byte data writes into DDRAM, merged
//   CGRAM data "\x0E..." the same into CGRAM (after a set CGRAM address)
// A write that comes before the last clear display or return home had time to finish
// (by the clock or by the waits recorded since, whichever is more) is flagged
// "[busy: ...]". Writes of length 0 and longer than 1 are marked. Once a function set
// selects a 4-bit bus, writes are shown as the nibbles the controller takes. With
// more than one device in the stream, each write line names its device.
std::vector<std::string> DecodeStream(const std::vector<StreamRecord>& records);

}  // namespace panel
