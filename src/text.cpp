#include "text.h"

#include <string.h>

#include "errors.h"

Text TextFromCText(const char* text) {
    Text result;
    if (text == nullptr) return result;
    result.data = reinterpret_cast<const uint8_t*>(text);
    result.length = static_cast<uint32_t>(strlen(text));
    return result;
}

void CountedTextFromText(Text text, uint8_t capacity, uint8_t* counted) {
    const uint32_t length = text.length < capacity ? text.length : capacity;
    counted[0] = static_cast<uint8_t>(length);
    if (length != 0) memcpy(counted + 1, text.data, length);
}

Text TextFromCountedText(const uint8_t* counted) {
    Text result;
    result.data = counted + 1;
    result.length = counted[0];
    return result;
}

void CountedTextCopy(const uint8_t* source, uint8_t* destination, uint8_t capacity) {
    const uint8_t length = source[0] < capacity ? source[0] : capacity;
    // Ascending order, length byte first: a reader in another process may be
    // looking at the slot while it changes.
    destination[0] = length;
    if (length != 0) memcpy(destination + 1, source + 1, length);
}

void TextToCBuffer(Text text, char* buffer) {
    size_t length = 0;
    if (text.length != 0) {
        const void* zero = memchr(text.data, 0, text.length);
        length = zero != nullptr ? static_cast<const uint8_t*>(zero) - text.data : text.length;
        memcpy(buffer, text.data, length);
    }
    buffer[length] = '\0';
}

Text DecimalText(int32_t value, char (&digits)[11]) {
    // Work on the magnitude as unsigned so that -2147483648 needs no special case.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    char reversed[10];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    uint32_t length = 0;
    if (value < 0) digits[length++] = '-';
    while (count > 0) digits[length++] = reversed[--count];
    Text result;
    result.data = reinterpret_cast<const uint8_t*>(digits);
    result.length = length;
    return result;
}

namespace {

int HexDigitValue(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

[[noreturn]] void RaiseNotANumber(Text text) {
    Error error;
    error.kind = ErrorKind::EConvertError;
    error.text = text.data;
    error.textLength = text.length;
    Raise(error);
}

}  // namespace

int32_t ParseDeviceNumber(Text text) {
    const uint8_t* c = text.data;
    const uint8_t* const end = text.data + text.length;
    while (c < end && *c == ' ') ++c;
    if (c == end) RaiseNotANumber(text);

    bool negative = false;
    bool hexadecimal = false;
    if (*c == '-' || *c == '+') {
        negative = *c == '-';
        ++c;
    } else if (*c == '$' || *c == 'x' || *c == 'X') {
        hexadecimal = true;
        ++c;
    } else if (*c == '0' && end - c >= 2 && (c[1] == 'x' || c[1] == 'X')) {
        hexadecimal = true;
        c += 2;
    }
    if (c == end) RaiseNotANumber(text);

    // Accumulate in 64 bits and stop at the first value past the widest bound
    // (0xFFFFFFFF for hexadecimal, 2^31 for a negative decimal).
    const uint64_t limit = hexadecimal ? 0xFFFFFFFFull : negative ? 0x80000000ull : 0x7FFFFFFFull;
    uint64_t value = 0;
    for (; c < end; ++c) {
        const int digit = hexadecimal ? HexDigitValue(*c) : (*c >= '0' && *c <= '9' ? *c - '0' : -1);
        if (digit < 0) RaiseNotANumber(text);
        value = value * (hexadecimal ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > limit) RaiseNotANumber(text);
    }
    if (hexadecimal) return static_cast<int32_t>(static_cast<uint32_t>(value));
    return negative ? static_cast<int32_t>(0 - value) : static_cast<int32_t>(value);
}
