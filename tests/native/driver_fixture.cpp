#include "driver_fixture.h"

#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "bridge_tokens.h"
#include "case_fixture.h"
#include "entries.h"
#include "line_mirror.h"

const char kStartupStream[] = "i30 w1 w10 i30 w1 i30 w1 i30 w1 i3c w1 i8 w1 i1 w1 w1 i6 w1 ic w1";

void DriverTest::StartFresh() {
    PlatformSetSleepFunction(BridgeStubRecordWait);
    PlatformSetSharedNamePrefix(BlockPrefix());
    Finish();
}

void DriverTest::Finish() {
    ResetDriver();
    RemoveBlocks();
    BridgeStubReset();
}

void DriverTest::SetUp() { StartFresh(); }

void DriverTest::TearDown() { Finish(); }

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
    return BridgeLog();
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
    const std::vector<std::string> out = GuardedOutputs(CalculateEx);
    for (const std::string& text : out) EXPECT_NE(text, "<wrote past 81 bytes>");
    return out;
}
