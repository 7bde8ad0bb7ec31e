#include "parse_cases.h"

#include "case_fixture.h"

const std::vector<DeviceNumberCase>& DeviceNumbers() {
    static const std::vector<DeviceNumberCase> numbers = {
        {"0", 0},
        {"007", 7},
        {"-0", 0},
        {"  12", 12},
        {"+7", 7},
        {"$1F", 31},
        {"x1F", 31},
        {"X1f", 31},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$000000010", 16},
        {"$00000000000000001", 1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},
        {"0x80000000", INT32_MIN},
        {"-1", -1},
        {"0000000000000000000042", 42},
    };
    return numbers;
}

const std::vector<const char*>& NotDeviceNumbers() {
    static const std::vector<const char*> texts = {
        "",     " ",     "   ",   "12 ",        "\t12",        "-",          "+",
        "$",    "0x",    "x",     "-$1F",       "+0x1F",       "00x1F",      "2147483648",
        "-2147483649",  "$100000000", "1.5", "abc", "1e3", "0x1G", "--1", "+-1", "12a",
        "99999999999999999999", "\xFC" "1",
    };
    return texts;
}

const std::vector<InitFailure>& InitFailures() {
    static const std::vector<InitFailure> failures = [] {
        std::vector<InitFailure> all = {{nullptr, NotANumberText(""), false}};
        for (const char* text : NotDeviceNumbers()) all.push_back({text, NotANumberText(text), false});
        for (const DeviceNumberCase& n : DeviceNumbers()) {
            if (n.value < 0) all.push_back({n.text, kRangeText, true});
        }
        return all;
    }();
    return failures;
}
