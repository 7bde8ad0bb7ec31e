// ParseDeviceNumber against an oracle of its own, written from the syntax rules of
// the start-up parameter rather than from the parser:
//   blanks (0x20) first; an empty or all-blank text is refused;
//   "-" or "+" then decimal digits only;
//   "$", "x", "X", "0x" or "0X" then hexadecimal digits;
//   otherwise decimal digits;
// the digits run to the end of the text (at least one); a decimal value with its
// sign lies in the signed 32-bit range, a hexadecimal one is at most 0xFFFFFFFF and
// is read as that 32-bit pattern. Anything else raises EConvertError naming the
// whole text. Any bytes are fed, 0x00 and 0x80-0xFF and texts past 255 included.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <optional>
#include <string_view>

#include "errors.h"
#include "platform/platform.h"
#include "text.h"

namespace {

std::optional<int32_t> Oracle(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    s.remove_prefix(i);
    if (s.empty()) return std::nullopt;

    int base = 10;
    bool negative = false;
    if (s[0] == '-' || s[0] == '+') {
        negative = s[0] == '-';
        s.remove_prefix(1);
    } else if (s[0] == '$' || s[0] == 'x' || s[0] == 'X') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return std::nullopt;

    // Leading zeros never change the value; count significant digits separately so
    // that any number of them is accepted without overflow.
    unsigned __int128 value = 0;
    size_t significant = 0;
    for (char ch : s) {
        int digit;
        if (ch >= '0' && ch <= '9') digit = ch - '0';
        else if (base == 16 && ch >= 'a' && ch <= 'f') digit = ch - 'a' + 10;
        else if (base == 16 && ch >= 'A' && ch <= 'F') digit = ch - 'A' + 10;
        else return std::nullopt;
        if (value == 0 && digit == 0) continue;
        if (++significant > 20) return std::nullopt;  // far beyond any bound; keeps scanning cheap
        value = value * base + digit;
    }
    // A text with more than 20 significant digits is out of range but must still be
    // all digits to be refused for that reason; either way the answer is "refused".
    if (base == 16) {
        if (value > 0xFFFFFFFFu) return std::nullopt;
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    if (negative) {
        if (value > 0x80000000u) return std::nullopt;
        return static_cast<int32_t>(-static_cast<int64_t>(value));
    }
    if (value > 0x7FFFFFFFu) return std::nullopt;
    return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    // A copy of its own, so that reads past the text are caught by the sanitizer.
    uint8_t* copy = static_cast<uint8_t*>(malloc(size == 0 ? 1 : size));
    if (size != 0) memcpy(copy, data, size);
    const Text text{copy, static_cast<uint32_t>(size)};

    int32_t value = 0;
    Error error;
    auto parse = [&] { value = ParseDeviceNumber(text); };
    const bool parsed = RunGuarded(parse, &error);
    const std::optional<int32_t> expected =
        Oracle(std::string_view(reinterpret_cast<const char*>(copy), size));

    if (parsed != expected.has_value()) abort();
    if (parsed && value != *expected) abort();
    if (!parsed) {
        if (error.kind != ErrorKind::EConvertError) abort();
        if (error.text != copy || error.textLength != size) abort();
    }
    free(copy);
    return 0;
}
