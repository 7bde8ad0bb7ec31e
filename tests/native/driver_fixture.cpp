#include "driver_fixture.h"

#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

#include "bridge_tokens.h"
#include "line_mirror.h"

const char kStartupStream[] = "i30 w1 w10 i30 w1 i30 w1 i30 w1 i3c w1 i8 w1 i1 w1 i6 w1 ic w1";

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
