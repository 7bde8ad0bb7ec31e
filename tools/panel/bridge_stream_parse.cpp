// Reading recorded bridge streams, one record per text line (see bridge_stream.h).
#include "bridge_stream.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace panel {

namespace {

constexpr const char* kFieldNames[5] = {"kind", "device", "byte", "length", "timeNs"};

template <typename T>
bool ParseDecimal(std::string_view text, T* value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') return false;
    const auto result = std::from_chars(first, last, *value, 10);
    return result.ec == std::errc() && result.ptr == last;
}

bool Fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

}  // namespace

std::optional<StreamRecord> ParseStreamLine(std::string_view line, std::string* error) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
        if (at >= line.size()) break;
        std::size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
    if (fields.size() != 5) {
        Fail(error, "expected 5 fields \"kind device byte length timeNs\", found " + std::to_string(fields.size()));
        return std::nullopt;
    }
    uint32_t numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (!ParseDecimal(fields[static_cast<std::size_t>(i)], &numbers[i])) {
            Fail(error, std::string("field ") + kFieldNames[i] + " is not a decimal number from 0 to 4294967295: \"" +
                            std::string(fields[static_cast<std::size_t>(i)]) + "\"");
            return std::nullopt;
        }
    }
    StreamRecord record;
    if (!ParseDecimal(fields[4], &record.timeNs)) {
        Fail(error, "field timeNs is not a decimal number: \"" + std::string(fields[4]) + "\"");
        return std::nullopt;
    }
    if (numbers[0] < 1 || numbers[0] > 5) {
        Fail(error, "unknown record kind " + std::to_string(numbers[0]) + " (kinds are 1 to 5)");
        return std::nullopt;
    }
    record.kind = static_cast<StreamKind>(numbers[0]);
    record.device = numbers[1];
    record.byte = numbers[2];
    record.length = numbers[3];
    if (IsWrite(record.kind) && record.byte > 0xFF) {
        Fail(error, "byte " + std::to_string(record.byte) + " of a write is above 255");
        return std::nullopt;
    }
    return record;
}

bool ParseStream(std::string_view text, std::vector<StreamRecord>* records, std::string* error) {
    std::size_t lineNumber = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        std::string why;
        const auto record = ParseStreamLine(line, &why);
        if (!record) return Fail(error, "line " + std::to_string(lineNumber) + ": " + why);
        records->push_back(*record);
    }
    return true;
}

bool ReadStreamFile(const std::string& path, std::vector<StreamRecord>* records, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return Fail(error, "cannot open " + path);
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) return Fail(error, "cannot read " + path);
    std::string why;
    if (!ParseStream(contents.str(), records, &why)) return Fail(error, path + ": " + why);
    return true;
}

}  // namespace panel
