// Conversions between the hosts' texts and the library's, and the device-number
// parse over the tables of tests/cases/parse_cases.cpp.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "driver_fixture.h"
#include "parse_cases.h"
#include "text.h"

namespace {

Text View(const std::string& s) {
    return Text{reinterpret_cast<const uint8_t*>(s.data()), static_cast<uint32_t>(s.size())};
}

std::string Str(Text t) {
    return std::string(reinterpret_cast<const char*>(t.data), t.length);
}

}  // namespace

TEST(ParseDeviceNumber, ReadsDecimalAndHexadecimalForms) {
    for (const DeviceNumberCase& c : DeviceNumbers()) {
        int32_t value = 12345;
        Error error;
        auto parse = [&] { value = ParseDeviceNumber(View(c.text)); };
        EXPECT_TRUE(RunGuarded(parse, &error)) << "'" << c.text << "': " << MessageOf(error);
        EXPECT_EQ(value, c.value) << "'" << c.text << "'";
    }
}

TEST(ParseDeviceNumber, RefusesEverythingElseNamingTheWholeText) {
    for (const char* text : NotDeviceNumbers()) {
        const std::string expected = std::string("'") + text + "' ist kein g\xFCltiger Integerwert";
        const Text view = TextFromCText(text);  // nothing owned inside the frame
        EXPECT_EQ(RaisedMessage([&] { ParseDeviceNumber(view); }), expected) << "'" << text << "'";
    }
}

TEST(ParseDeviceNumber, QuotesAVeryLongTextWhole) {
    const std::string text = "  " + std::string(5000, '7') + "x";
    Error error;
    auto parse = [&] { ParseDeviceNumber(View(text)); };
    ASSERT_FALSE(RunGuarded(parse, &error));
    EXPECT_EQ(error.kind, ErrorKind::EConvertError);
    EXPECT_EQ(Str(Text{error.text, static_cast<uint32_t>(error.textLength)}), text);
}

TEST(TextConversions, CTextToTextStopsAtTheFirstZeroAndReadsNullAsEmpty) {
    EXPECT_EQ(TextFromCText(nullptr).length, 0u);
    EXPECT_EQ(TextFromCText("").length, 0u);
    const char bytes[] = "ab\xFF\x01" "c\0def";
    EXPECT_EQ(Str(TextFromCText(bytes)), "ab\xFF\x01" "c");
}

TEST(TextConversions, CountedTextFromTextCutsAtItsCapacityAndWritesNothingAfter) {
    const std::string long_text(300, 'q');
    uint8_t record[260];
    memset(record, 0xEE, sizeof record);
    CountedTextFromText(View(long_text), 255, record);
    EXPECT_EQ(record[0], 255);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 1), 255), long_text.substr(0, 255));
    EXPECT_EQ(record[256], 0xEE);

    memset(record, 0xEE, sizeof record);
    CountedTextFromText(View(""), 255, record);
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(record[1], 0xEE);
}

TEST(TextConversions, CountedTextCopyWritesOnlyLengthAndCharacters) {
    uint8_t source[101] = {100};
    for (int i = 1; i <= 100; ++i) source[i] = static_cast<uint8_t>('A' + i % 26);
    uint8_t slot[90];
    memset(slot, 0xEE, sizeof slot);
    CountedTextCopy(source, slot, 80);
    EXPECT_EQ(slot[0], 80);
    EXPECT_EQ(memcmp(slot + 1, source + 1, 80), 0);
    EXPECT_EQ(slot[81], 0xEE);

    const uint8_t shorter[] = {5, 'h', 'e', 'l', 'l', 'o'};
    CountedTextCopy(shorter, slot, 80);
    EXPECT_EQ(slot[0], 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(slot + 1), 5), "hello");
    EXPECT_EQ(slot[6], source[6]) << "bytes after the new text keep the older text";
    EXPECT_EQ(Str(TextFromCountedText(slot)), "hello");
}

TEST(TextConversions, TextToCBufferStopsAtCodeZeroAndTerminates) {
    char buffer[100];
    memset(buffer, 0x55, sizeof buffer);
    const std::string eighty(80, 'z');
    TextToCBuffer(View(eighty), buffer);
    EXPECT_EQ(std::string(buffer), eighty);
    EXPECT_EQ(buffer[81], 0x55) << "81 bytes written for 80 characters";

    memset(buffer, 0x55, sizeof buffer);
    TextToCBuffer(View(std::string("ab\0cd", 5)), buffer);
    EXPECT_EQ(std::string(buffer, 4), std::string("ab\0\x55", 4));

    memset(buffer, 0x55, sizeof buffer);
    TextToCBuffer(Text{}, buffer);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0x55);
}

TEST(TextConversions, DecimalText) {
    const struct {
        int32_t value;
        const char* text;
    } cases[] = {{0, "0"}, {-5, "-5"}, {7, "7"}, {256, "256"}, {INT32_MAX, "2147483647"},
                 {INT32_MIN, "-2147483648"}};
    for (const auto& c : cases) {
        char digits[11];
        EXPECT_EQ(Str(DecimalText(c.value, digits)), c.text);
    }
}
