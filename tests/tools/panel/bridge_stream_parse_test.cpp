// Reading recorded bridge streams: records, line endings, malformed lines.
#include "bridge_stream.h"

#include "panel_test_support.h"

namespace {

using panel::StreamKind;
using panel::StreamRecord;

TEST(PanelStream, ParsesRecordsAcrossLineEndingsAndBlankLines) {
    const std::string text =
        "1 0 0 0 100\r\n"
        "\n"
        "3 0 56 1 200\n"
        "  4   2 255  1 300  \n"
        "5 0 15 0 -7\r\n"
        "2 0 0 0 9223372036854775807";
    std::vector<StreamRecord> records;
    std::string error;
    ASSERT_TRUE(panel::ParseStream(text, &records, &error)) << error;
    const std::vector<StreamRecord> expected = {
        {StreamKind::Open, 0, 0, 0, 100},          {StreamKind::Instruction, 0, 56, 1, 200},
        {StreamKind::Data, 2, 255, 1, 300},        {StreamKind::Wait, 0, 15, 0, -7},
        {StreamKind::Close, 0, 0, 0, INT64_MAX},
    };
    EXPECT_EQ(records, expected);
}

TEST(PanelStream, RejectsMalformedLinesWithAReason) {
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"3 0 65 1", "expected 5 fields"},
        {"3 0 65 1 5 6", "expected 5 fields"},
        {"3 0 x 1 5", "field byte"},
        {"3 0 0x41 1 5", "field byte"},
        {"-3 0 65 1 5", "field kind"},
        {"3 +0 65 1 5", "field device"},
        {"3 0 65 4294967296 5", "field length"},
        {"3 0 65 1 5ns", "field timeNs"},
        {"0 0 0 0 5", "unknown record kind 0"},
        {"6 0 0 0 5", "unknown record kind 6"},
        {"3 0 256 1 5", "byte 256"},
        {"4 0 300 1 5", "byte 300"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(panel::ParseStreamLine(c.line, &error).has_value()) << c.line;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.line << " -> " << error;
    }
    // A wait may be long: its byte field is milliseconds.
    EXPECT_TRUE(panel::ParseStreamLine("5 0 5000 0 5").has_value());

    std::vector<StreamRecord> records;
    std::string error;
    EXPECT_FALSE(panel::ParseStream("1 0 0 0 1\n\n3 0 1 1 2\n7 0 0 0 3\n", &records, &error));
    EXPECT_EQ(error.rfind("line 4: ", 0), 0u) << error;
    EXPECT_EQ(records.size(), 2u);

    EXPECT_FALSE(panel::ReadStreamFile("/nonexistent/panel.stream", &records, &error));
    EXPECT_NE(error.find("cannot open /nonexistent/panel.stream"), std::string::npos) << error;
}

}  // namespace
