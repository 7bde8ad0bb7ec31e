#include "bench_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "ch341dll.h"
#include "driver_state.h"
#include "entries.h"
#include "line_mirror.h"
#include "platform/platform.h"

uint64_t WaitCount = 0;
uint64_t WaitMilliseconds = 0;

namespace {

char BlockPrefix[40];

void CountWait(uint32_t ms) {
    ++WaitCount;
    WaitMilliseconds += ms;
}

void RemoveBlock() {
    char name[96];
    snprintf(name, sizeof name, "/%s%s", BlockPrefix, kLineBlockName);
    shm_unlink(name);
}

// Texts of every measured size: printable, no zero byte before the end.
template <uint32_t N>
struct Sample {
    char text[N + 1];
    Sample() {
        for (uint32_t i = 0; i < N; ++i) text[i] = static_cast<char>('A' + i % 26);
        text[N] = '\0';
    }
};
const Sample<1> Text1;
const Sample<20> Text20;
const Sample<80> Text80;
const Sample<255> Text255;
const Sample<4000> Text4000;
const Sample<20> Rows[4];

// The host's table of output buffers (room for entries 0 to 100).
char OutputBuffers[4][256];
char* OutputTable[101] = {OutputBuffers[0], OutputBuffers[1], OutputBuffers[2], OutputBuffers[3]};
uint8_t NameRecord[256];
constexpr uint8_t kPattern[8] = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};

// ---- Preparation ---------------------------------------------------------------

void PrepareAttached() {
    BenchAttach();
}

void PrepareRows() {
    BenchAttach();
    for (uint8_t row = 1; row <= 4; ++row) {
        DISPLAYDLL_SetPosition(1, row);
        DISPLAYDLL_Write(Rows[row - 1].text);
    }
    DISPLAYDLL_SetPosition(1, 1);
}

// ---- Entries -------------------------------------------------------------------

void Write1() { DISPLAYDLL_Write(Text1.text); }
void Write20() { DISPLAYDLL_Write(Text20.text); }
void Write80() { DISPLAYDLL_Write(Text80.text); }
void Write255() { DISPLAYDLL_Write(Text255.text); }
void Write4000() { DISPLAYDLL_Write(Text4000.text); }
void SetPosition() { DISPLAYDLL_SetPosition(1, 1); }
void CustomChar() { DISPLAYDLL_CustomChar(1, kPattern); }
void Refresh() {
    for (uint8_t row = 1; row <= 4; ++row) {
        DISPLAYDLL_SetPosition(1, row);
        DISPLAYDLL_Write(Rows[row - 1].text);
    }
}
void Calculate() { CalculateEx(OutputTable); }
void Name() { OutputName(0, NameRecord); }

// ---- Floors --------------------------------------------------------------------

void BareData(const char* text, uint32_t count) {
    uint32_t length = 1;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t cell = static_cast<uint8_t>(text[i]);
        CH341MemWriteAddr1(0, &cell, &length);
    }
}
void BareInstruction(uint8_t instruction) {
    uint8_t cell = instruction;
    uint32_t length = 1;
    CH341MemWriteAddr0(0, &cell, &length);
}
void Write1Floor() { BareData(Text1.text, 1); }
void Write20Floor() { BareData(Text20.text, 20); }
void Write80Floor() { BareData(Text80.text, 80); }
void Write255Floor() { BareData(Text255.text, 255); }
void Write4000Floor() { BareData(Text4000.text, 4000); }
void SetPositionFloor() { BareInstruction(0x80); }
void CustomCharFloor() {
    BareInstruction(0x40);
    BareData(reinterpret_cast<const char*>(kPattern), 8);
}
void RefreshFloor() {
    static constexpr uint8_t kRowAddress[4] = {0x80, 0xC0, 0x94, 0xD4};
    for (int row = 0; row < 4; ++row) {
        BareInstruction(kRowAddress[row]);
        BareData(Rows[row].text, 20);
    }
}
// The four slots of the mapped block copied out as C texts.
void CalculateAttachedFloor() {
    const uint8_t* view = Driver.LineBlockView;
    for (int slot = 0; slot < 4; ++slot) {
        const uint8_t* counted = view + slot * kLineSlotSize;
        const uint8_t length = counted[0];
        char* buffer = OutputTable[slot];
        for (uint8_t i = 0; i < length; ++i) buffer[i] = static_cast<char>(counted[1 + i]);
        buffer[length] = '\0';
    }
}
// The fallback text copied into the four buffers.
void CalculateUnattachedFloor() {
    for (int slot = 0; slot < 4; ++slot) memcpy(OutputTable[slot], "Glimmora?", 10);
}
void NameFloor() {
    NameRecord[0] = 2;
    NameRecord[1] = '$';
    NameRecord[2] = '1';
}

}  // namespace

void BenchSetUp() {
    snprintf(BlockPrefix, sizeof BlockPrefix, "vantrel-bench-%d-", static_cast<int>(getpid()));
    PlatformSetSharedNamePrefix(BlockPrefix);
    PlatformSetSleepFunction(CountWait);
    RemoveBlock();
    atexit(RemoveBlock);
}

void BenchDetach() {
    PlatformReleaseSharedBlock(Driver.LineBlockHandle, Driver.LineBlockView);
    Driver = DriverState{};
    RemoveBlock();
}

void BenchAttach() {
    if (Driver.LineBlockView != nullptr && Driver.LineBlockWritable) return;
    uint8_t ok = 0;
    DISPLAYDLL_Init(20, 4, "0", &ok);
    if (ok != 1 || Driver.LineBlockView == nullptr) {
        fprintf(stderr, "bench: Init did not attach the line block\n");
        exit(1);
    }
}

const BenchCase kBenchCases[] = {
    {"write1", "DISPLAYDLL_Write", 1, 1, 0, PrepareAttached, Write1, Write1Floor},
    {"write20", "DISPLAYDLL_Write", 20, 20, 0, PrepareAttached, Write20, Write20Floor},
    {"write80", "DISPLAYDLL_Write", 80, 80, 0, PrepareAttached, Write80, Write80Floor},
    {"write255", "DISPLAYDLL_Write", 255, 255, 0, PrepareAttached, Write255, Write255Floor},
    {"write4000", "DISPLAYDLL_Write", 4000, 4000, 0, PrepareAttached, Write4000, Write4000Floor},
    {"setposition", "DISPLAYDLL_SetPosition", 0, 1, 2, PrepareAttached, SetPosition,
     SetPositionFloor},
    {"customchar", "DISPLAYDLL_CustomChar", 8, 9, 2, PrepareAttached, CustomChar, CustomCharFloor},
    {"refresh", "20x4 refresh (4 x SetPosition + Write)", 80, 84, 8, PrepareAttached, Refresh,
     RefreshFloor},
    {"calculate-attached", "CalculateEx (attached)", 80, 0, 0, PrepareRows, Calculate,
     CalculateAttachedFloor},
    {"calculate-unattached", "CalculateEx (unattached)", 36, 0, 0, BenchDetach, Calculate,
     CalculateUnattachedFloor},
    {"outputname", "OutputName", 2, 0, 0, PrepareAttached, Name, NameFloor},
};
const uint32_t kBenchCaseCount = sizeof kBenchCases / sizeof kBenchCases[0];

const BenchCase* FindBenchCase(const char* name) {
    for (const BenchCase& c : kBenchCases) {
        if (strcmp(c.name, name) == 0) return &c;
    }
    return nullptr;
}
