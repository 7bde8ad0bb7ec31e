// Long runs, natively: thousands of Init/Done cycles and failing calls leave the
// process's file descriptors, mappings and heap where they were; and a reader on
// another thread, racing a writer that stores rows in a tight loop, only ever sees
// texts of at most 80 characters, terminated, made of bytes that some written text
// held at that position. Both runs are bounded by count and stop by themselves.
#include <dirent.h>
#include <malloc.h>
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "driver_fixture.h"
#include "entries.h"
#include "line_mirror.h"

namespace {

void NoWait(uint32_t) {}

int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
    return count;
}

// All mappings, and those of shared-memory objects (the blocks) alone.
std::pair<int, int> MappingLines() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    int all = 0, shared = 0;
    while (std::getline(maps, line)) {
        ++all;
        shared += line.find("/dev/shm/") != std::string::npos;
    }
    return {all, shared};
}

// The address sanitizer's allocator maps memory of its own as a run goes on, and
// mallinfo2 does not see its heap: there, only the block mappings are compared.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedHeap = true;
#else
constexpr bool kSanitizedHeap = false;
#endif

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

struct Usage {
    int fds, maps, blockMaps;
    size_t heap;
};

Usage Measure() {
    const auto [all, shared] = MappingLines();
    return Usage{OpenDescriptors(), all, shared, HeapInUse()};
}

class HardeningLongRun : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        PlatformSetSleepFunction(NoWait);
    }
};

}  // namespace

TEST_F(HardeningLongRun, InitDoneCyclesAndFailingCallsKeepDescriptorsMappingsAndHeapFlat) {
    const std::string longParameter(3000, '9');  // quoted whole: its failure text needs the heap
    char* const bad = UnmappedPage();
    char* const badTable[101] = {bad, bad, bad, bad};
    auto round = [&](int i) {
        uint8_t ok = 0;
        DISPLAYDLL_Init(20, 4, "0", &ok);
        DISPLAYDLL_SetPosition(1, static_cast<uint8_t>(1 + i % 4));
        DISPLAYDLL_Write("cycle");
        DISPLAYDLL_Done();
        DISPLAYDLL_Init(20, 4, i % 2 ? longParameter.c_str() : "-1", &ok);  // fails
        DISPLAYDLL_Write(bad);
        CalculateEx(badTable);
        OutputName(static_cast<uint8_t>(i), reinterpret_cast<uint8_t*>(bad));
        BridgeStubReset();
    };
    // And a reader library state that never attaches: no block, failing buffers.
    auto unattached = [&] {
        const DriverState writer = Driver;
        Driver = DriverState{};
        CalculateEx(badTable);
        PlatformReleaseSharedBlock(Driver.LineBlockHandle, Driver.LineBlockView);
        Driver = writer;
    };
    for (int i = 0; i < 100; ++i) round(i), unattached();  // warm up: first allocations
    const Usage before = Measure();
    constexpr int kCycles = 5000;
    for (int i = 0; i < kCycles; ++i) round(i), unattached();
    const Usage after = Measure();
    std::cout << kCycles << " cycles of Init/Write/Done, failing Init, Write, CalculateEx, OutputName: fds "
              << before.fds << " -> " << after.fds << ", mappings " << before.maps << " -> " << after.maps << " (blocks "
              << before.blockMaps << " -> " << after.blockMaps << "), heap in use " << before.heap << " -> " << after.heap << " bytes\n";
    EXPECT_EQ(after.fds, before.fds);
    EXPECT_EQ(after.blockMaps, before.blockMaps);
    if (!kSanitizedHeap) {
        EXPECT_EQ(after.maps, before.maps);
        EXPECT_LE(after.heap, before.heap + 4096) << "heap grew over the run";
    }
}

TEST_F(HardeningLongRun, AReaderThreadNeverSeesMoreThanWrittenBytes) {
    // Texts of different lengths, each of its own letter: a mix of two shows up as a
    // text that mixes letters or whose length belongs to another text.
    std::vector<std::string> texts;
    for (int length : {80, 1, 40, 79, 0, 60, 80, 13}) {
        texts.push_back(std::string(static_cast<size_t>(length), static_cast<char>('a' + texts.size())));
    }
    texts.push_back(std::string(80, '\xFF'));
    std::vector<std::set<char>> allowed(80);
    for (const std::string& t : texts) {
        for (size_t i = 0; i < t.size(); ++i) allowed[i].insert(t[i]);
    }
    const std::set<std::string> whole(texts.begin(), texts.end());

    uint8_t ok = 0;
    ASSERT_STREQ(DISPLAYDLL_Init(20, 4, "0", &ok), "Vantrel v1.0");
    PlatformSetSleepFunction(NoWait);
    constexpr int kWrites = 50000;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < kWrites; ++i) {
            DISPLAYDLL_SetPosition(1, static_cast<uint8_t>(1 + i % 4));
            DISPLAYDLL_Write(texts[static_cast<size_t>(i) % texts.size()].c_str());
            if (i % 4096 == 0) BridgeStubReset();
        }
        done = true;
    });
    long reads = 0, mixes = 0, bad = 0;
    char buffers[4][81 + 16];
    char* table[101] = {buffers[0], buffers[1], buffers[2], buffers[3]};
    while (!done || reads == 0) {
        memset(buffers, 0x7E, sizeof buffers);
        CalculateEx(table);
        for (auto& buffer : buffers) {
            ++reads;
            const char* end = static_cast<const char*>(memchr(buffer, 0, 81));
            bool ok = end != nullptr;
            for (int i = 81; i < 97; ++i) ok = ok && buffer[i] == 0x7E;
            const std::string text = ok ? std::string(static_cast<const char*>(buffer), end) : std::string();
            for (size_t i = 0; ok && i < text.size(); ++i) ok = allowed[i].count(text[i]) != 0;
            if (!ok) ++bad;
            if (ok && whole.count(text) == 0) ++mixes;
        }
    }
    writer.join();
    std::cout << "torn reads (threads): " << kWrites << " stores, " << reads << " texts read, " << mixes
              << " mixes of two texts, " << bad << " bad\n";
    EXPECT_EQ(bad, 0);
}
