// The library's texts and the conversions between the forms that meet at the
// entries: C texts (zero-terminated, from and to the hosts), texts (counted views
// of 8-bit characters) and CountedTexts (a length byte, then the characters).
// Characters pass every conversion unchanged: no code page, no trimming, no case.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A counted run of 8-bit characters that the library does not own: a view of the
// host's memory or of a buffer of the caller's. It may hold the code 0.
struct Text {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
};

// The bytes before the first zero byte; a null address gives the empty text.
Text TextFromCText(const char* text);

// Writes the length byte min(n, capacity), then that many characters, and nothing
// after them.
void CountedTextFromText(Text text, uint8_t capacity, uint8_t* counted);

// The characters of a CountedText: exactly the length byte's count of them.
Text TextFromCountedText(const uint8_t* counted);

// Copies a CountedText into `destination` with at most `capacity` characters:
// 1 + min(L, capacity) bytes in ascending order; later bytes keep their values.
void CountedTextCopy(const uint8_t* source, uint8_t* destination, uint8_t capacity);

// Writes the characters up to the first code 0 (or the end of the text), then a
// zero byte. The caller provides the room.
void TextToCBuffer(Text text, char* buffer);

// "-" for a negative value, then the decimal digits without leading zeros.
// `digits` must hold 11 bytes; the result views it.
Text DecimalText(int32_t value, char (&digits)[11]);

// Reads the bridge device number: optional blanks (0x20 only), then either a
// signed decimal number in the 32-bit range, or (without sign) "$", "x", "X", "0x"
// or "0X" and up to 0xFFFFFFFF in hexadecimal, read as its signed 32-bit pattern.
// Anything else raises EConvertError naming the whole text.
int32_t ParseDeviceNumber(Text text);
