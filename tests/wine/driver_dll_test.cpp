// The display-driver entries of the real vantrel.dll under Wine, against the
// stand-in bridge: exports, the start-up stream and its waits, and faults reported
// with their modules. The tables of cases shared with the native suite (failure
// texts, bad addresses, bridge faults) are in tests/cases/.
#include <gtest/gtest.h>

#include <string.h>

#include "dll_fixture.h"
#include "vantrel_dll.h"

namespace {

class DriverDll : public LoadedDllTest {
protected:
    std::string Init(const char* parameter, uint8_t* ok, uint32_t columns = 20, uint32_t rows = 4) {
        return Dll().Init(columns, rows, parameter, ok);
    }
};

// An address in no mapping: the first page of the address space.
const char* const kBadAddress = reinterpret_cast<const char*>(1);

}  // namespace

TEST_F(DriverDll, ExportsByNameEqualExportsByOrdinal) {
    for (const ExportedEntry& entry : kExportedEntries) {
        FARPROC byName = GetProcAddress(Dll().module, entry.name);
        FARPROC byOrdinal = GetProcAddress(Dll().module, MAKEINTRESOURCEA(entry.ordinal));
        EXPECT_NE(byName, nullptr) << entry.name;
        EXPECT_EQ(byName, byOrdinal) << entry.name << " @" << entry.ordinal;
    }
    EXPECT_EQ(GetProcAddress(Dll().module, MAKEINTRESOURCEA(18)), nullptr);
    EXPECT_EQ(GetProcAddress(Dll().module, "DISPLAYDLL_Init@16"), nullptr);
}

TEST_F(DriverDll, ConstantsAndSettingEntries) {
    EXPECT_STREQ(Dll().DriverName(), "Vantrel v1.0");
    EXPECT_STREQ(Dll().Usage(), "Usage: Enter CH341A Device No. (0 = default)");
    EXPECT_STREQ(Dll().DefaultParameters(), "0");
    EXPECT_EQ(Dll().ReadKey(), 0xFF00);
    // stdcall: the callee pops its arguments; a wrong count would corrupt our stack.
    Dll().SetBacklight(1);
    Dll().SetContrast(2);
    Dll().SetBrightness(3);
    Dll().SetGPO(4, 5);
    Dll().SetFan(6, 7);
    EXPECT_EQ(BridgeStream(), "");
}

TEST_F(DriverDll, StartupStreamAndItsMeasuredWaits) {
    uint8_t ok = 0;
    EXPECT_EQ(Init("0", &ok), "Vantrel v1.0");
    EXPECT_EQ(ok, 1);
    Dll().Done();  // its transfer times the wait after the last instruction
    EXPECT_EQ(BridgeStream(), "open0 i30 i30 i30 i30 i3c i8 i1 i6 ic close0");
    // Each instruction is followed by its wait before the next transfer: 1 ms, 11 ms
    // after the first and 2 ms after clear display. Waits may run long on a busy
    // machine, never short: the figures are minimums with no slack. No upper bound
    // is checked on a shared machine; that no wait comes before the first
    // instruction shows in the native suite's recorded stream.
    const auto records = BridgeRecords();
    ASSERT_EQ(records.size(), 11u);
    const int64_t minimum_ms[] = {11, 1, 1, 1, 1, 1, 2, 1, 1};
    for (int i = 0; i < 9; ++i) {
        const int64_t gap = records[i + 2].timeNs - records[i + 1].timeNs;
        EXPECT_GE(gap, minimum_ms[i] * 1000000) << "after instruction " << i + 1;
    }
}

TEST_F(DriverDll, SetPositionWriteAndCustomCharStreams) {
    uint8_t ok = 0;
    Init("0", &ok, 16, 4);
    BridgeStubReset();
    Dll().SetPosition(5, 3);  // 16x4: row 3 starts at 0x10
    Dll().Write("Hi\xFC");
    const uint8_t pattern[8] = {0x1F, 0, 0x1F, 0, 0x1F, 0, 0x1F, 0};
    Dll().CustomChar(2, pattern);
    Dll().CustomChar(0, pattern);   // refused, nothing sent, no crash
    Dll().CustomChar(33, pattern);
    Dll().SetPosition(0, 1);        // address -1: nothing sent
    Dll().Done();
    EXPECT_EQ(BridgeStream(), "i94 d48 d69 dfc i48 d1f d0 d1f d0 d1f d0 d1f d0 close0");
    // The high bytes of an 8-bit argument's 32-bit slot do not count.
    BridgeStubReset();
    Dll().SetPosition(0xFFFFFF01, 0xABCD0002);
    EXPECT_EQ(BridgeStream(), "ic0");
}

TEST_F(DriverDll, AnUnreadableParameterIsReportedWithTheModuleThatRead) {
    uint8_t ok = 1;
    const std::string text = Init(kBadAddress, &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(text.rfind("Exception: Zugriffsverletzung bei Adresse ", 0), 0u) << text;
    // The text is measured by the C runtime's strlen: the fault lies in its module.
    EXPECT_NE(text.find(" in Modul 'msvcrt.dll'. Lesen von Adresse 00000001"), std::string::npos) << text;
}

TEST_F(DriverDll, FaultsInsideTheBridgeAreReportedWithTheirModule) {
    uint8_t ok = 1;
    BridgeStubFailOn(2, 1);  // the first instruction: an access violation
    std::string text = Init("0", &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_NE(text.find(" in Modul 'CH341DLL.DLL'. Schreiben von Adresse 00000000"), std::string::npos)
        << text;
    EXPECT_EQ(BridgeStream(), "open0 i30");

    BridgeStubReset();
    BridgeStubFailOn(1, 2);  // the bridge raises an exception of its own
    EXPECT_EQ(Init("0", &ok), "Exception: Externe Exception E0425247");
    EXPECT_EQ(ok, 0);

    // The other entries absorb them: the entry ends at the fault.
    Init("0", &ok);
    BridgeStubReset();
    BridgeStubFailOn(2, 1);
    Dll().Write("abcd");
    BridgeStubFailOn(3, 2);
    Dll().SetPosition(1, 1);
    Dll().Done();
    EXPECT_EQ(BridgeStream(), "d61 d62 i80 close0");
}
