// The line mirror: the store that Write makes into the shared block and the reader
// entries that hand the rows out, on a real POSIX shared-memory block.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "driver_fixture.h"
#include "entries.h"
#include "line_mirror.h"

namespace {

class LineMirror : public DriverTest {
protected:
    // The block as another process sees it, mapped by name.
    std::string Slot(int k) {
        const uint8_t* block = Block();
        return std::string(reinterpret_cast<const char*>(block + k * 81 + 1), block[k * 81]);
    }
    const uint8_t* Block() {
        if (view_ == nullptr) {
            const std::string name = std::string("/") + BlockPrefix() + kLineBlockName;
            const int fd = shm_open(name.c_str(), O_RDWR, 0);
            EXPECT_GE(fd, 0);
            view_ = static_cast<uint8_t*>(mmap(nullptr, 324, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
            close(fd);
        }
        return view_;
    }
    uint8_t* WritableBlock() { return const_cast<uint8_t*>(Block()); }
    void TearDown() override {
        if (view_ != nullptr) munmap(view_, 324);
        DriverTest::TearDown();
    }
    void Init() {
        uint8_t ok = 0;
        DISPLAYDLL_Init(20, 4, "0", &ok);
        ASSERT_EQ(ok, 1);
        ASSERT_TRUE(Driver.LineBlockWritable);
    }
    void WriteRow(uint8_t y, const char* text) {
        DISPLAYDLL_SetPosition(1, y);
        DISPLAYDLL_Write(text);
    }

    static void ExpectFallback(const std::vector<std::string>& out) {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], "Glimmora?") << i;
    }

    uint8_t* view_ = nullptr;
};

}  // namespace

TEST_F(LineMirror, ANewBlockIsAllZeroAndWritesGoToTheRowOfTheLastPosition) {
    Init();
    for (int i = 0; i < 324; ++i) ASSERT_EQ(Block()[i], 0) << i;
    DISPLAYDLL_Write("first");  // before any SetPosition: row 1
    EXPECT_EQ(Slot(0), "first");
    DISPLAYDLL_SetPosition(11, 2);
    DISPLAYDLL_Write("abc");
    EXPECT_EQ(Slot(1), "abc") << "the column plays no part";
    DISPLAYDLL_Write("def");
    EXPECT_EQ(Slot(1), "def") << "the latest text replaces the slot";
    DISPLAYDLL_SetPosition(1, 4);
    DISPLAYDLL_Write("four");
    EXPECT_EQ(Slot(3), "four");
    EXPECT_EQ(Block()[3 * 81 + 80], 0) << "slot 3 ends at byte 323";
}

TEST_F(LineMirror, AStoreKeepsEightyCharactersAndLeavesOlderBytesPastTheText) {
    Init();
    const std::string hundred(100, 'h');
    WriteRow(2, hundred.c_str());
    EXPECT_EQ(Slot(1), hundred.substr(0, 80));
    EXPECT_EQ(Block()[2 * 81], 0) << "slot 2 untouched";

    WriteRow(3, "12345678");
    WriteRow(3, "ab");
    EXPECT_EQ(Slot(2), "ab");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Block() + 162 + 3), 6), "345678");
    WriteRow(3, "");
    EXPECT_EQ(Slot(2), "");
    EXPECT_EQ(Block()[163], 'a') << "an empty text sets only the length";
    const auto out = ReadOutputs();
    EXPECT_EQ(out[1], hundred.substr(0, 80));
    EXPECT_EQ(out[2], "") << "older characters never reach the reader";
}

TEST_F(LineMirror, RowsOutsideOneToFourAndFailedPositionsStoreNothing) {
    Init();
    WriteRow(1, "keep");
    for (uint8_t y : {0, 5, 255}) {
        WriteRow(y, "lost");
        EXPECT_EQ(Slot(0), "keep") << int(y);
    }
    DISPLAYDLL_SetPosition(1, 2);
    DISPLAYDLL_SetPosition(0, 1);  // address -1: CurrentRow stays 1
    DISPLAYDLL_Write("two");
    EXPECT_EQ(Slot(1), "two");
    EXPECT_EQ(Slot(0), "keep");
}

TEST_F(LineMirror, WriteBeforeInitOrAfterAFailedInitStoresNothing) {
    DISPLAYDLL_Write("early");
    EXPECT_EQ(Driver.LineBlockView, nullptr);
    uint8_t ok;
    DISPLAYDLL_Init(20, 4, "-1", &ok);
    EXPECT_EQ(Driver.LineBlockView, nullptr);
    // Texts survive Done and a second Init; the second Init keeps its view.
    Init();
    uint8_t* const view = Driver.LineBlockView;
    WriteRow(1, "stays");
    DISPLAYDLL_Done();
    DISPLAYDLL_Write("after done");
    EXPECT_EQ(Slot(0), "after done");
    Init();
    EXPECT_EQ(Driver.LineBlockView, view) << "no second view per Init";
    EXPECT_EQ(Slot(0), "after done");
}

TEST_F(LineMirror, AfterAFailedInitAnEmptyWriteStillEmptiesTheSlot) {
    Init();
    WriteRow(2, "row two");
    uint8_t ok;
    DISPLAYDLL_Init(20, 4, "-1", &ok);
    DISPLAYDLL_Write("not sent, not stored");
    EXPECT_EQ(Slot(1), "row two");
    DISPLAYDLL_Write("");
    EXPECT_EQ(Slot(1), "");
}

TEST_F(LineMirror, ReaderNamesAndCount) {
    EXPECT_EQ(NumOutputs(), 4);
    const struct {
        uint8_t index;
        std::string name;
    } cases[] = {{0, "$1"}, {3, "$4"}, {9, "$10"}, {98, "$99"}, {255, "$256"}};
    for (const auto& c : cases) {
        uint8_t record[256];
        memset(record, 0xAB, sizeof record);
        OutputName(c.index, record);
        EXPECT_EQ(record[0], c.name.size());
        EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 1), record[0]), c.name);
        EXPECT_EQ(record[1 + c.name.size()], 0xAB) << "nothing written after the name";
    }
    OutputName(0, nullptr);  // survives a bad record address
}

TEST_F(LineMirror, ReaderAttachesOnItsFirstCallAndReadsFromTheSecond) {
    ExpectFallback(ReadOutputs());  // no block anywhere
    ExpectFallback(ReadOutputs());
    // A writer elsewhere creates the block: simulate it in this process's library by
    // creating it directly, then dropping our own handle.
    SharedHandle handle = PlatformCreateSharedBlock(kLineBlockName, 324);
    uint8_t* block = static_cast<uint8_t*>(PlatformMapSharedBlock(handle, true));
    ASSERT_NE(block, nullptr);
    const uint8_t slot0[] = {5, 'h', 'e', 'l', 'l', 'o'};
    memcpy(block, slot0, sizeof slot0);
    ExpectFallback(ReadOutputs());  // attaches
    EXPECT_FALSE(Driver.LineBlockWritable);
    auto out = ReadOutputs();
    EXPECT_EQ(out[0], "hello");
    EXPECT_EQ(out[1], "") << "a row never written is the empty text";

    // A foreign writer's length byte above 80 is read as 80 characters.
    block[81] = 200;
    memset(block + 82, 'F', 80);
    out = ReadOutputs();
    EXPECT_EQ(out[1], std::string(80, 'F'));

    // Init in the same library replaces the reader's read-only view with a writable one.
    Init();
    WriteRow(4, "writer");
    EXPECT_EQ(ReadOutputs()[3], "writer");
    PlatformReleaseSharedBlock(handle, block);
}

TEST_F(LineMirror, AFailureAfterSomeBuffersLeavesAllFourHoldingTheFallback) {
    Init();
    WriteRow(1, "one");
    WriteRow(2, "two");
    char good[4][96];
    char* table[101] = {good[0], good[1], UnmappedPage(), good[3]};
    CalculateEx(table);  // the fallback faults at buffer 2 too; the call returns
    EXPECT_STREQ(good[0], "Glimmora?");
    EXPECT_STREQ(good[1], "Glimmora?");
    EXPECT_TRUE(Driver.LineBlockWritable) << "the writer's view is kept";
    WriteRow(3, "three");
    EXPECT_EQ(Slot(2), "three") << "writes still reach the block";
    const auto out = ReadOutputs();
    EXPECT_EQ(out[0], "one");
    EXPECT_EQ(out[2], "three");
    CalculateEx(nullptr);
}

TEST_F(LineMirror, TheBlockIsSharedWithAnotherProcessAndOutlivesIt) {
    ExpectFallback(ReadOutputs());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The writer: its own copy of the driver state after fork.
        uint8_t ok = 0;
        DISPLAYDLL_Init(20, 4, "0", &ok);
        DISPLAYDLL_SetPosition(1, 1);
        DISPLAYDLL_Write("from the child");
        DISPLAYDLL_SetPosition(1, 4);
        DISPLAYDLL_Write("row four");
        _exit(ok == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ExpectFallback(ReadOutputs());  // attaches
    const auto out = ReadOutputs();
    EXPECT_EQ(out[0], "from the child");
    EXPECT_EQ(out[3], "row four");
}
