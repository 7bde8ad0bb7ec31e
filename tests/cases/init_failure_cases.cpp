// Init's failure texts byte for byte, the OK flag at 0 and nothing sent; and after a
// failure on a negative number, every entry that would reach the bridge sends nothing.
#include "init_failure_cases.h"

#include "case_fixture.h"

const std::vector<InitFailure>& InitFailures() {
    static const std::vector<InitFailure> failures = {
        {"abc", NotANumberText("abc"), false},
        {"", NotANumberText(""), false},
        {nullptr, NotANumberText(""), false},
        {"12 ", NotANumberText("12 "), false},
        {"-$1F", NotANumberText("-$1F"), false},
        {"1.5", NotANumberText("1.5"), false},
        {"2147483648", NotANumberText("2147483648"), false},
        {"-1", kRangeText, true},
        {"$FFFFFFFF", kRangeText, true},
        {"0x80000000", kRangeText, true},
    };
    return failures;
}

namespace {

using InitFailureTexts = BoundCase;

}  // namespace

TEST_F(InitFailureTexts, ByteForByteWithTheOkFlagAtZeroAndNothingSent) {
    for (const InitFailure& f : InitFailures()) {
        const std::string label = f.parameter ? std::string("'") + f.parameter + "'" : "null";
        Bridge().Reset();
        uint8_t ok = 1;
        EXPECT_EQ(std::string(Entry().Init(16, 4, f.parameter, &ok)), f.text) << label;
        EXPECT_EQ(ok, 0) << label;
        EXPECT_EQ(Stream(), "") << label << ": no bridge call";
    }
}

TEST_F(InitFailureTexts, AfterANegativeNumberNothingReachesTheBridgeAndTheTextStays) {
    uint8_t ok = 1;
    const char* text = Entry().Init(20, 4, "-1", &ok);
    const uint8_t pattern[8] = {};
    Entry().Write("text");
    Entry().SetPosition(1, 2);
    Entry().CustomChar(1, pattern);
    Entry().Done();
    EXPECT_EQ(Stream(), "");
    EXPECT_EQ(std::string(text), kRangeText) << "the failure text stays readable";
}
