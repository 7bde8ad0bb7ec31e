// The stand-in CH341DLL.DLL as a Windows program sees it: found beside the
// program, the four bridge calls exported stdcall by undecorated name, and the
// control API shared with whoever calls the bridge.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <csetjmp>
#include <string>

#include "bridge_stub.h"
#include "ch341dll.h"

namespace {

HMODULE bridgeModule() { return GetModuleHandleA("CH341DLL.DLL"); }

template <typename Function>
Function bridgeEntry(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(bridgeModule(), name)));
}

std::string folderOf(HMODULE module) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    const std::string full(path, n);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

TEST(BridgeStubDll, IsLoadedFromTheProgramsFolder) {
    ASSERT_NE(bridgeModule(), nullptr);
    EXPECT_EQ(folderOf(bridgeModule()), folderOf(nullptr));
}

TEST(BridgeStubDll, ExportsTheBridgeCallsUndecorated) {
    for (const char* name : {"CH341OpenDevice", "CH341CloseDevice", "CH341MemWriteAddr0", "CH341MemWriteAddr1",
                             "BridgeStubCount", "BridgeStubGet", "BridgeStubReset", "BridgeStubRecordWait",
                             "BridgeStubFailOn", "BridgeStubSetLengthAfterWrite", "BridgeStubSetWriteResult"}) {
        EXPECT_NE(GetProcAddress(bridgeModule(), name), nullptr) << name;
    }
    for (const char* name : {"CH341OpenDevice@4", "_CH341OpenDevice@4", "CH341MemWriteAddr0@12"}) {
        EXPECT_EQ(GetProcAddress(bridgeModule(), name), nullptr) << name;
    }
}

class BridgeStubCalls : public testing::Test {
protected:
    void SetUp() override { BridgeStubReset(); }
    void TearDown() override { BridgeStubReset(); }

    const decltype(&CH341OpenDevice) open = bridgeEntry<decltype(&CH341OpenDevice)>("CH341OpenDevice");
    const decltype(&CH341CloseDevice) close = bridgeEntry<decltype(&CH341CloseDevice)>("CH341CloseDevice");
    const decltype(&CH341MemWriteAddr0) writeInstruction =
        bridgeEntry<decltype(&CH341MemWriteAddr0)>("CH341MemWriteAddr0");
    const decltype(&CH341MemWriteAddr1) writeData = bridgeEntry<decltype(&CH341MemWriteAddr1)>("CH341MemWriteAddr1");
};

TEST_F(BridgeStubCalls, CallsThroughGetProcAddressAreRecorded) {
    EXPECT_EQ(open(0), reinterpret_cast<void*>(1));
    uint8_t byte = 0x38;
    uint32_t length = 1;
    EXPECT_EQ(writeInstruction(0, &byte, &length), 1);
    byte = 'V';
    length = 4;
    BridgeStubSetLengthAfterWrite(2);
    EXPECT_EQ(writeData(0, &byte, &length), 1);
    EXPECT_EQ(length, 2u);
    close(0);

    ASSERT_EQ(BridgeStubCount(), 4u);
    BridgeRecord r[4];
    for (uint32_t i = 0; i < 4; ++i) ASSERT_TRUE(BridgeStubGet(i, &r[i]));
    EXPECT_EQ(r[0].kind, uint32_t{BridgeOpen});
    EXPECT_EQ(r[1].kind, uint32_t{BridgeInstruction});
    EXPECT_EQ(r[1].byte, 0x38u);
    EXPECT_EQ(r[2].kind, uint32_t{BridgeData});
    EXPECT_EQ(r[2].byte, uint32_t{'V'});
    EXPECT_EQ(r[2].lengthOnEntry, 4u);
    EXPECT_EQ(r[3].kind, uint32_t{BridgeClose});
    for (int i = 1; i < 4; ++i) EXPECT_LE(r[i - 1].timeNs, r[i].timeNs);
    EXPECT_GT(r[0].timeNs, 0);
}

// A vectored handler stands in for the driver's fault guard: it continues the
// raised exception, and leaves an access violation through longjmp.
volatile LONG seenCode;
jmp_buf afterViolation;

[[noreturn]] void landAfterViolation() { longjmp(afterViolation, 1); }

LONG CALLBACK onException(EXCEPTION_POINTERS* info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (code == BRIDGE_STUB_EXCEPTION_CODE) {
        seenCode = static_cast<LONG>(code);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (code == EXCEPTION_ACCESS_VIOLATION && info->ExceptionRecord->ExceptionInformation[1] == 0) {
        seenCode = static_cast<LONG>(code);
        info->ContextRecord->Eip = reinterpret_cast<DWORD>(&landAfterViolation);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class BridgeStubFaults : public BridgeStubCalls {
protected:
    void SetUp() override {
        BridgeStubCalls::SetUp();
        seenCode = 0;
        handler_ = AddVectoredExceptionHandler(1, onException);
        ASSERT_NE(handler_, nullptr);
    }
    void TearDown() override {
        RemoveVectoredExceptionHandler(handler_);
        BridgeStubCalls::TearDown();
    }

private:
    void* handler_ = nullptr;
};

TEST_F(BridgeStubFaults, RaisesTheBridgeExceptionOnTheChosenCall) {
    BridgeStubFailOn(2, 2);
    uint8_t byte = 'x';
    uint32_t length = 1;
    EXPECT_NE(open(0), nullptr);
    EXPECT_EQ(seenCode, 0);
    EXPECT_EQ(writeData(0, &byte, &length), 0);
    EXPECT_EQ(static_cast<DWORD>(seenCode), BRIDGE_STUB_EXCEPTION_CODE);
    EXPECT_EQ(BridgeStubCount(), 2u) << "the faulting call is recorded";
}

TEST_F(BridgeStubFaults, AccessViolationOnTheChosenCall) {
    BridgeStubFailOn(1, 1);
    volatile bool faulted = false;
    if (setjmp(afterViolation) == 0) {
        open(5);
    } else {
        faulted = true;
    }
    EXPECT_TRUE(faulted);
    EXPECT_EQ(static_cast<DWORD>(seenCode), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    ASSERT_EQ(BridgeStubCount(), 1u);
    BridgeRecord r{};
    ASSERT_TRUE(BridgeStubGet(0, &r));
    EXPECT_EQ(r.kind, uint32_t{BridgeOpen});
    EXPECT_EQ(r.device, 5u);

    EXPECT_NE(open(5), nullptr) << "the stub works on after the fault";
}

}  // namespace
