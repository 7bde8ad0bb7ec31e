// The stand-in bridge's recording, injected results and faults, natively.
#include "bridge_stub.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bridge_stream.h"
#include "ch341dll.h"

namespace {

std::vector<BridgeRecord> recorded() {
    std::vector<BridgeRecord> out(BridgeStubCount());
    for (uint32_t i = 0; i < out.size(); ++i) EXPECT_TRUE(BridgeStubGet(i, &out[i]));
    return out;
}

int32_t writeInstruction(uint32_t device, uint8_t byte, uint32_t& length) {
    return CH341MemWriteAddr0(device, &byte, &length);
}

int32_t writeData(uint32_t device, uint8_t byte, uint32_t& length) {
    return CH341MemWriteAddr1(device, &byte, &length);
}

class BridgeStub : public testing::Test {
protected:
    void SetUp() override { BridgeStubReset(); }
    void TearDown() override { BridgeStubReset(); }
};

TEST_F(BridgeStub, RecordsEveryCallInOrder) {
    EXPECT_EQ(CH341OpenDevice(0), reinterpret_cast<void*>(1));
    EXPECT_EQ(CH341OpenDevice(3), reinterpret_cast<void*>(4));
    uint32_t length = 1;
    EXPECT_EQ(writeInstruction(3, 0x38, length), 1);
    length = 5;
    EXPECT_EQ(writeData(3, 'A', length), 1);
    BridgeStubRecordWait(15);
    CH341CloseDevice(3);

    const std::vector<BridgeRecord> r = recorded();
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[0].kind, uint32_t{BridgeOpen});
    EXPECT_EQ(r[0].device, 0u);
    EXPECT_EQ(r[1].kind, uint32_t{BridgeOpen});
    EXPECT_EQ(r[1].device, 3u);
    EXPECT_EQ(r[2].kind, uint32_t{BridgeInstruction});
    EXPECT_EQ(r[2].device, 3u);
    EXPECT_EQ(r[2].byte, 0x38u);
    EXPECT_EQ(r[2].lengthOnEntry, 1u);
    EXPECT_EQ(r[3].kind, uint32_t{BridgeData});
    EXPECT_EQ(r[3].byte, uint32_t{'A'});
    EXPECT_EQ(r[3].lengthOnEntry, 5u);
    EXPECT_EQ(r[4].kind, uint32_t{BridgeWait});
    EXPECT_EQ(r[4].byte, 15u);
    EXPECT_EQ(r[5].kind, uint32_t{BridgeClose});
    EXPECT_EQ(r[5].device, 3u);
    for (size_t i = 1; i < r.size(); ++i) EXPECT_LE(r[i - 1].timeNs, r[i].timeNs) << "record " << i;
    EXPECT_GT(r[0].timeNs, 0);

    BridgeRecord out{};
    EXPECT_FALSE(BridgeStubGet(6, &out));
    EXPECT_FALSE(BridgeStubGet(0, nullptr));
}

TEST_F(BridgeStub, WritesReportTheInjectedLengthAndResult) {
    uint32_t length = 1;
    EXPECT_EQ(writeData(0, 'x', length), 1);
    EXPECT_EQ(length, 1u);
    length = 7;
    EXPECT_EQ(writeData(0, 'x', length), 1);
    EXPECT_EQ(length, 1u) << "a write leaves 1 in *length by default";

    BridgeStubSetLengthAfterWrite(0);
    BridgeStubSetWriteResult(0);
    length = 1;
    EXPECT_EQ(writeInstruction(0, 0x01, length), 0);
    EXPECT_EQ(length, 0u);
    length = 1;
    EXPECT_EQ(writeData(0, 'y', length), 0);
    EXPECT_EQ(length, 0u);

    BridgeStubReset();
    length = 9;
    EXPECT_EQ(writeData(0, 'z', length), 1) << "reset restores the defaults";
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(BridgeStubCount(), 1u) << "reset clears the log";
}

// Fault handlers: a SIGSEGV handler jumps back into the test, like the driver's
// guard does; a SIGFPE handler returns, so the faulting call returns.
sigjmp_buf faultReturn;
volatile sig_atomic_t fpeCount;

void onSegv(int) { siglongjmp(faultReturn, 1); }
void onFpe(int) { fpeCount = fpeCount + 1; }

class ScopedSignal {
public:
    ScopedSignal(int signal, void (*handler)(int)) : signal_(signal) {
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previous_);
    }
    ~ScopedSignal() { sigaction(signal_, &previous_, nullptr); }

private:
    int signal_;
    struct sigaction previous_;
};

TEST_F(BridgeStub, AccessViolationOnTheChosenCallAfterRecordingIt) {
    ScopedSignal guard(SIGSEGV, onSegv);
    BridgeStubFailOn(3, 1);
    uint32_t length = 1;
    EXPECT_NE(CH341OpenDevice(0), nullptr);
    BridgeStubRecordWait(1);  // waits are not bridge calls
    EXPECT_EQ(writeInstruction(0, 0x38, length), 1);

    volatile bool faulted = false;
    if (sigsetjmp(faultReturn, 1) == 0) {
        writeData(0, 'Q', length);
    } else {
        faulted = true;
    }
    EXPECT_TRUE(faulted);
    ASSERT_EQ(BridgeStubCount(), 4u);
    BridgeRecord last{};
    ASSERT_TRUE(BridgeStubGet(3, &last));
    EXPECT_EQ(last.kind, uint32_t{BridgeData});
    EXPECT_EQ(last.byte, uint32_t{'Q'});

    // The stub keeps working after a fault left it mid-call (its lock is free).
    EXPECT_EQ(writeData(0, 'R', length), 1);
    EXPECT_EQ(BridgeStubCount(), 5u);
}

TEST_F(BridgeStub, RaisedExceptionModeSignalsSigfpeAndReturnsFailure) {
    ScopedSignal guard(SIGFPE, onFpe);
    fpeCount = 0;
    BridgeStubFailOn(2, 2);
    uint32_t length = 1;
    EXPECT_NE(CH341OpenDevice(0), nullptr);
    length = 1;
    EXPECT_EQ(writeData(0, 'x', length), 0);
    EXPECT_EQ(fpeCount, 1);
    EXPECT_EQ(length, 1u) << "a faulting write does not touch *length";
    EXPECT_EQ(BridgeStubCount(), 2u);

    // Only the chosen call faults.
    EXPECT_EQ(writeData(0, 'y', length), 1);
    EXPECT_EQ(fpeCount, 1);

    // An open that faults returns no handle.
    BridgeStubReset();
    BridgeStubFailOn(1, 2);
    EXPECT_EQ(CH341OpenDevice(0), nullptr);
    EXPECT_EQ(fpeCount, 2);
}

TEST_F(BridgeStub, ModeZeroAndResetCancelAnInjectedFault) {
    ScopedSignal guard(SIGFPE, onFpe);
    fpeCount = 0;
    uint32_t length = 1;
    BridgeStubFailOn(1, 2);
    BridgeStubFailOn(1, 0);
    EXPECT_NE(CH341OpenDevice(0), nullptr);
    BridgeStubFailOn(2, 2);
    BridgeStubReset();
    EXPECT_NE(CH341OpenDevice(0), nullptr);
    EXPECT_EQ(writeData(0, 'x', length), 1);
    EXPECT_EQ(fpeCount, 0);
}

TEST_F(BridgeStub, StreamFileGetsOneLinePerRecord) {
    const std::string path = testing::TempDir() + "bridge_stream_test.txt";
    std::remove(path.c_str());
    ASSERT_EQ(setenv("VANTREL_BRIDGE_LOG", path.c_str(), 1), 0);
    BridgeStubReset();  // the file is looked up again after a reset

    uint32_t length = 1;
    CH341OpenDevice(2);
    writeInstruction(2, 0xC0, length);
    writeData(2, 'k', length);
    BridgeStubRecordWait(3);
    CH341CloseDevice(2);
    const std::vector<BridgeRecord> expected = recorded();

    // Read back with the panel emulator's stream reader, which lcdview uses.
    std::vector<panel::StreamRecord> fromFile;
    std::ifstream in(path);  // each line is flushed as it is written
    for (std::string line; std::getline(in, line);) {
        const auto r = panel::ParseStreamLine(line);
        ASSERT_TRUE(r.has_value()) << line;
        fromFile.push_back(*r);
    }
    unsetenv("VANTREL_BRIDGE_LOG");
    BridgeStubReset();
    std::remove(path.c_str());

    ASSERT_EQ(fromFile.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(static_cast<uint32_t>(fromFile[i].kind), expected[i].kind);
        EXPECT_EQ(fromFile[i].device, expected[i].device);
        EXPECT_EQ(fromFile[i].byte, expected[i].byte);
        EXPECT_EQ(fromFile[i].length, expected[i].lengthOnEntry);
        EXPECT_EQ(fromFile[i].timeNs, expected[i].timeNs);
    }
}

}  // namespace
