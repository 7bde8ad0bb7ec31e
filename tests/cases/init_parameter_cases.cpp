// Init over the parse tables: a number of 0 or more opens that device and starts
// the controller on it; every refused parameter gives its failure text byte for
// byte, the OK flag at 0 and nothing sent; and after a failure on a negative
// number, every entry that would reach the bridge sends nothing.
#include "case_fixture.h"
#include "parse_cases.h"

namespace {

using InitParameter = BoundCase;

}  // namespace

TEST_F(InitParameter, ANumberOfZeroOrMoreOpensThatDevice) {
    for (const DeviceNumberCase& n : DeviceNumbers()) {
        if (n.value < 0) continue;
        Bridge().Reset();
        // Every instruction goes to the device named.
        std::string expected = "open" + std::to_string(n.value);
        for (size_t at = 0; at < kStartupInstructions.size();) {
            size_t end = kStartupInstructions.find(' ', at);
            if (end == std::string::npos) end = kStartupInstructions.size();
            expected += " " + kStartupInstructions.substr(at, end - at) + (n.value ? "@" + std::to_string(n.value) : "");
            at = end + 1;
        }
        EXPECT_EQ(InitReport(n.text), kDriverName + " [ok 1]") << "'" << n.text << "'";
        EXPECT_EQ(Stream(), expected) << "'" << n.text << "'";
    }
}

TEST_F(InitParameter, ByteForByteWithTheOkFlagAtZeroAndNothingSent) {
    for (const InitFailure& f : InitFailures()) {
        const std::string label = f.parameter ? std::string("'") + f.parameter + "'" : "null";
        Bridge().Reset();
        uint8_t ok = 1;
        EXPECT_EQ(std::string(Entry().Init(16, 4, f.parameter, &ok)), f.text) << label;
        EXPECT_EQ(ok, 0) << label;
        EXPECT_EQ(Stream(), "") << label << ": no bridge call";
    }
}

TEST_F(InitParameter, AfterANegativeNumberNothingReachesTheBridgeAndTheTextStays) {
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
