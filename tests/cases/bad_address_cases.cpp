// Bad addresses on every entry, as tables: an address in no mapping, a text or
// table that runs into a page without access, a read-only buffer where the reader
// must write, a bad OK flag, and null. Each case: the host survives, the entry
// returns as its frame says (Init through its text and OK flag), nothing reaches the
// bridge but what the case names, and no slot of the block is corrupted.
//
// Null addresses are a table of their own (NullAddresses): the sanitized run leaves
// it out, because the undefined-behaviour sanitizer stops at a null access before
// the fault it would cause reaches the guard frame.
#include <functional>
#include <iostream>
#include <regex>

#include "case_fixture.h"

namespace {

struct AddressCase {
    std::string label;
    std::function<std::string()> call;  // what the entry gave the host, as text
    std::string result;                 // exact, or a pattern when it starts with "~"
    std::string stream;                 // what reaches the bridge, waits left out
    int slotMayChange;                  // -1: no slot may change
};

// Init's report of an address it could not read: the fault, where it read, OK flag 0.
const std::string kUnreadable = "~Exception: Zugriffsverletzung bei Adresse .*\\. Lesen von Adresse .* \\[ok 0\\]";

class HardeningBadInput : public BoundCase {
protected:
    void SetUp() override {
        BoundCase::SetUp();
        StartWithFourRows();
        Entry().SetPosition(1, 2);
        Bridge().Reset();
    }

    void RunTable(const std::vector<AddressCase>& cases) {
        for (const AddressCase& c : cases) {
            Bridge().Reset();
            const side::BlockBytes before = Block();
            const std::string result = c.call();
            if (c.result.rfind("~", 0) == 0) {
                EXPECT_TRUE(std::regex_match(result, std::regex(c.result.substr(1)))) << c.label << ": " << result;
            } else {
                EXPECT_EQ(result, c.result) << c.label;
            }
            EXPECT_EQ(Stream(), c.stream) << c.label;
            ExpectSlotsIntact(before, c.slotMayChange, c.label);
        }
        std::cout << "bad-address cases survived: " << cases.size() << "\n";
    }

    // `count` bytes placed so that the last one is the last byte before a page
    // without access.
    static char* BeforeGap(const void* bytes, size_t count) {
        char* at = side::GapAfterWritablePage() - count;
        memcpy(at, bytes, count);
        return at;
    }
};

std::string None(const std::function<void()>& call) {
    call();
    return "";
}

}  // namespace

TEST_F(HardeningBadInput, UnreadableAndUnwritableAddresses) {
    char* const gap = side::UnmappedAddress();
    char* const readOnly = side::ReadOnlyPage();
    uint8_t* const gapByte = reinterpret_cast<uint8_t*>(gap);
    uint8_t* const readOnlyByte = reinterpret_cast<uint8_t*>(readOnly);
    const char unterminated[] = {'1', '2'};
    const char text[] = {'a', 'b', 'c'};
    const uint8_t pattern[3] = {1, 2, 3};
    char good[4][96];
    char* const partTable[2] = {good[0], good[1]};  // two entries, then the gap
    char* const readOnlyBuffers[101] = {readOnly, readOnly + 100, readOnly + 200, readOnly + 300};
    char* const gapBuffers[101] = {good[0], gap, good[2], good[3]};
    const std::string started = "open0 " + kStartupInstructions;
    const VantrelEntries& e = Entry();
    const auto init = [&](const char* parameter, uint8_t* flag) { return std::string(e.Init(20, 4, parameter, flag)); };

    RunTable({
        {"Write(unmapped)", [&] { return None([&] { e.Write(gap); }); }, "", "", -1},
        {"Write(text running into a gap)", [&] { return None([&] { e.Write(BeforeGap(text, sizeof text)); }); }, "", "", -1},
        {"CustomChar(unmapped)", [&] { return None([&] { e.CustomChar(1, gapByte); }); }, "", "", -1},
        {"CustomChar(3 rows before a gap)",
         [&] { return None([&] { e.CustomChar(1, reinterpret_cast<uint8_t*>(BeforeGap(pattern, sizeof pattern))); }); },
         "", "", -1},
        {"OutputName(unmapped)", [&] { return None([&] { e.OutputName(3, gapByte); }); }, "", "", -1},
        {"OutputName(read-only)", [&] { return None([&] { e.OutputName(3, readOnlyByte); }); }, "", "", -1},
        {"OutputName(record at the gap)",
         [&] { return None([&] { e.OutputName(200, reinterpret_cast<uint8_t*>(side::GapAfterWritablePage() - 2)); }); },
         "", "", -1},
        {"CalculateEx(unmapped table)",
         [&] { return None([&] { e.CalculateEx(reinterpret_cast<char* const*>(gap)); }); }, "", "", -1},
        {"CalculateEx(table running into a gap)",
         [&] { return None([&] { e.CalculateEx(reinterpret_cast<char* const*>(BeforeGap(partTable, sizeof partTable))); }); },
         "", "", -1},
        {"CalculateEx(read-only buffers)", [&] { return None([&] { e.CalculateEx(readOnlyBuffers); }); }, "", "", -1},
        {"CalculateEx(an unmapped buffer)", [&] { return None([&] { e.CalculateEx(gapBuffers); }); }, "", "", -1},
        {"Init(unmapped parameter)", [&] { return InitReport(gap); }, kUnreadable, "", -1},
        {"Init(parameter running into a gap)", [&] { return InitReport(BeforeGap(unterminated, sizeof unterminated)); },
         kUnreadable, "", -1},
        // The OK flag is the only thing Init writes to the host: a bad one is passed
        // over and the start-up goes on.
        {"Init(unmapped OK flag)", [&] { return init("0", gapByte); }, kDriverName, started, -1},
        {"Init(read-only OK flag)", [&] { return init("0", readOnlyByte); }, kDriverName, started, -1},
        {"Init(bad parameter, unmapped OK flag)", [&] { return init("bad", gapByte); }, NotANumberText("bad"), "", -1},
        {"Init(bad parameter, read-only OK flag)", [&] { return init("zz", readOnlyByte); }, NotANumberText("zz"), "", -1},
    });
    EXPECT_EQ(memcmp(readOnly, std::string(400, 0x5A).data(), 400), 0) << "the read-only page was written";

    // The library still works afterwards.
    e.SetPosition(1, 3);
    e.Write("after");
    EXPECT_EQ(GuardedOutputs(e.CalculateEx), (std::vector<std::string>{"row 1 text", "row 2 text", "after", "row 4 text"}));
}

TEST_F(HardeningBadInput, NullAddresses) {
    char* const nullBuffers[101] = {};
    const VantrelEntries& e = Entry();
    RunTable({
        // A null text is the empty text: nothing is shown, the current row's slot empties.
        {"Write(null)", [&] { return None([&] { e.Write(nullptr); }); }, "", "", 1},
        {"CustomChar(null)", [&] { return None([&] { e.CustomChar(1, nullptr); }); }, "", "", -1},
        {"OutputName(null)", [&] { return None([&] { e.OutputName(0, nullptr); }); }, "", "", -1},
        {"CalculateEx(null table)", [&] { return None([&] { e.CalculateEx(nullptr); }); }, "", "", -1},
        {"CalculateEx(null buffers)", [&] { return None([&] { e.CalculateEx(nullBuffers); }); }, "", "", -1},
        {"Init(null OK flag)", [&] { return std::string(e.Init(20, 4, "0", nullptr)); }, kDriverName,
         "open0 " + kStartupInstructions, -1},
        {"Init(null parameter)", [&] { return InitReport(nullptr); }, NotANumberText("") + " [ok 0]", "", -1},
        {"Init(null parameter, null OK flag)", [&] { return std::string(e.Init(20, 4, nullptr, nullptr)); },
         NotANumberText(""), "", -1},
    });
    EXPECT_EQ(Slot(1), "") << "Write(null) stored the empty text";
    e.SetPosition(1, 3);
    e.Write("after");
    EXPECT_EQ(GuardedOutputs(e.CalculateEx), (std::vector<std::string>{"row 1 text", "", "after", "row 4 text"}));
}
