#include "driver_fixture.h"

#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "bridge_tokens.h"
#include "entries.h"
#include "line_mirror.h"

const char kStartupStream[] = "i30 w1 w10 i30 w1 i30 w1 i30 w1 i3c w1 i8 w1 i1 w1 w1 i6 w1 ic w1";

void DriverTest::SetUp() {
    PlatformSetSleepFunction(BridgeStubRecordWait);
    PlatformSetSharedNamePrefix(BlockPrefix());
    ResetDriver();
    RemoveBlocks();
    BridgeStubReset();
}

void DriverTest::TearDown() {
    ResetDriver();
    RemoveBlocks();
    BridgeStubReset();
}

const char* DriverTest::BlockPrefix() {
    static char prefix[40];
    snprintf(prefix, sizeof prefix, "vantrel-test-%d-", static_cast<int>(getpid()));
    return prefix;
}

void DriverTest::RemoveBlocks() {
    const std::string name = std::string("/") + BlockPrefix() + kLineBlockName;
    shm_unlink(name.c_str());
}

void DriverTest::ResetDriver() {
    PlatformReleaseSharedBlock(Driver.LineBlockHandle, Driver.LineBlockView);
    Driver = DriverState{};
}

std::vector<BridgeRecord> DriverTest::Records() {
    std::vector<BridgeRecord> records(BridgeStubCount());
    for (uint32_t i = 0; i < records.size(); ++i) BridgeStubGet(i, &records[i]);
    return records;
}

std::string DriverTest::Stream() {
    return BridgeStreamTokens();
}

std::string MessageOf(const Error& error) {
    char buffer[1024];
    MessageSink sink{buffer, sizeof buffer};
    FormatErrorMessage(error, sink);
    return std::string(buffer, sink.length < sizeof buffer ? sink.length : sizeof buffer);
}

char* UnmappedPage() {
    static char* const page = static_cast<char*>(
        mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    return page;
}

std::vector<std::string> ReadOutputs() {
    char buffers[4][96];
    memset(buffers, 0x55, sizeof buffers);
    char* table[101] = {buffers[0], buffers[1], buffers[2], buffers[3]};
    CalculateEx(table);
    std::vector<std::string> out;
    for (const auto& buffer : buffers) {
        for (int i = 81; i < 96; ++i) EXPECT_EQ(buffer[i], 0x55) << "wrote past 81 bytes";
        out.emplace_back(buffer, strnlen(buffer, 81));
    }
    return out;
}
