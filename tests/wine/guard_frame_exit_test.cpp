// How the real vantrel.dll leaves a fault that the system reports inside the
// bridge: exception records the bridge pushed above the entry's frame get their
// unwinding call, each once and innermost first, and the thread's chain head is
// back where the host had it; and one thread lives through stack overflows one
// after another, each reported as a stack overflow.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "dll_fixture.h"
#include "vantrel_dll.h"

namespace {

const std::string kStackOverflow = "Exception: Stack-\xDC" "berlauf";

void* ChainHead() {
    void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

std::vector<uint32_t> UnwoundRecords() {
    uint32_t numbers[8] = {};
    const uint32_t count = BridgeStubUnwoundRecords(numbers, 8);
    return std::vector<uint32_t>(numbers, numbers + std::min<uint32_t>(count, 8));
}

// Whether some page of the calling thread's stack below the caller still carries
// the guard that turns the next overflow into a reported stack overflow.
bool StackGuardArmed() {
    MEMORY_BASIC_INFORMATION info = {};
    if (VirtualQuery(&info, &info, sizeof info) == 0) return false;
    const char* page = static_cast<const char*>(info.AllocationBase);
    const char* const here = reinterpret_cast<const char*>(&info);
    while (page < here && VirtualQuery(page, &info, sizeof info) != 0) {
        if (info.State == MEM_COMMIT && (info.Protect & PAGE_GUARD)) return true;
        page = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    }
    return false;
}

using GuardFrameExit = LoadedDllTest;

}  // namespace

TEST_F(GuardFrameExit, BridgeRecordsAboveTheFrameAreUnwoundOnceInnerFirst) {
    const uint8_t pattern[8] = {0x1F, 0, 0x1F, 0, 0x1F, 0, 0x1F, 0};
    uint8_t ok = 1;
    std::string initText;
    const struct {
        const char* entry;
        uint32_t faultingCall;  // 1-based bridge call of the entry
        const char* stream;     // up to and including the faulting call
        std::function<void()> call;
    } cases[] = {
        {"Init at the opening", 1, "open0", [&] { initText = Dll().Init(20, 4, "0", &ok); }},
        {"Init at an instruction", 3, "open0 i30 i30", [&] { initText = Dll().Init(20, 4, "0", &ok); }},
        {"Write", 2, "d61 d62", [] { Dll().Write("abc"); }},
        {"SetPosition", 1, "ic0", [] { Dll().SetPosition(1, 2); }},
        {"CustomChar", 4, "i40 d1f d0 d1f", [&] { Dll().CustomChar(1, pattern); }},
        {"Done", 1, "close0", [] { Dll().Done(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        Dll().Init(20, 4, "0", &ok);
        BridgeStubReset();
        initText.clear();
        ok = 1;
        BridgeStubFaultInsideRecordsOn(c.faultingCall);
        void* const head = ChainHead();
        c.call();
        EXPECT_EQ(ChainHead(), head) << "the host's chain head";
        EXPECT_EQ(UnwoundRecords(), (std::vector<uint32_t>{2, 1})) << "unwinding calls, by record";
        EXPECT_EQ(BridgeStream(), c.stream) << "the entry ends at the fault";
        if (!initText.empty()) {
            EXPECT_EQ(ok, 0);
            EXPECT_NE(initText.find(" in Modul 'CH341DLL.DLL'. Schreiben von Adresse 00000000"),
                      std::string::npos)
                << initText;
        }
    }
    // Nothing of the fault is left behind: the next calls run as usual.
    BridgeStubReset();
    EXPECT_EQ(std::string(Dll().Init(20, 4, "0", &ok)), "Vantrel v1.0");
    EXPECT_EQ(ok, 1);
    Dll().Write("ok");
    EXPECT_EQ(BridgeStream(), "open0 i30 i30 i30 i30 i3c i8 i1 i6 ic d6f d6b");
}

namespace {

// Six overflows inside the bridge on one thread of its own: three during Init,
// three during Write. Filled by the thread, checked by the test afterwards.
struct OverflowRun {
    bool guardedAtStart = false;
    std::vector<std::string> texts;  // Init's result after each Init overflow
    std::vector<int> okFlags;
    std::vector<std::string> streams;  // the bridge stream of each overflowing call
    std::vector<bool> guardedAfter;    // a guard page again after each overflow
    std::string initBetween;           // the ordinary Init before the Writes
    bool finished = false;
};

void OverflowInit(OverflowRun& run) {
    uint8_t ok = 1;
    BridgeStubReset();
    BridgeStubExhaustStackOn(1);
    run.texts.push_back(Dll().Init(20, 4, "0", &ok));
    run.okFlags.push_back(ok);
    run.streams.push_back(BridgeStream());
    run.guardedAfter.push_back(StackGuardArmed());
}

DWORD WINAPI OverflowThread(void* context) {
    OverflowRun& run = *static_cast<OverflowRun*>(context);
    run.guardedAtStart = StackGuardArmed();
    for (int i = 0; i < 3; ++i) OverflowInit(run);
    uint8_t ok = 1;
    BridgeStubReset();
    run.initBetween = Dll().Init(20, 4, "0", &ok);
    for (int i = 0; i < 3; ++i) {
        BridgeStubReset();
        BridgeStubExhaustStackOn(2);
        Dll().Write("abc");
        run.streams.push_back(BridgeStream());
        run.guardedAfter.push_back(StackGuardArmed());
    }
    // A Write absorbs what it caught: one more Init shows the last overflow was
    // caught as one and left the guard armed.
    OverflowInit(run);
    run.finished = true;
    return 0;
}

}  // namespace

TEST_F(GuardFrameExit, OneThreadLivesThroughRepeatedStackOverflows) {
    OverflowRun run;
    // A small stack of its own: quickly exhausted, and the test's thread keeps its guard.
    HANDLE thread = CreateThread(nullptr, 256 * 1024, OverflowThread, &run,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    std::string guards;
    for (bool armed : run.guardedAfter) guards += armed ? " armed" : " none";
    ASSERT_TRUE(run.finished) << "the thread ended early, exit code " << exitCode << ", after "
                              << run.streams.size() << " overflows caught; guard page after each:" << guards;

    ASSERT_TRUE(run.guardedAtStart) << "a fresh thread's stack shows no guard page: the check sees nothing";
    ASSERT_EQ(run.texts.size(), 4u);
    for (size_t i = 0; i < run.texts.size(); ++i) {
        EXPECT_EQ(run.texts[i], kStackOverflow) << "Init overflow " << i + 1;
        EXPECT_EQ(run.okFlags[i], 0) << "Init overflow " << i + 1;
    }
    EXPECT_EQ(run.initBetween, "Vantrel v1.0");
    const std::vector<std::string> streams = {"open0", "open0", "open0", "d61 d62", "d61 d62", "d61 d62", "open0"};
    EXPECT_EQ(run.streams, streams);
    EXPECT_EQ(run.guardedAfter, std::vector<bool>(7, true)) << "a guard page after each overflow";
}
