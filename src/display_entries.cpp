// The display-driver entries that the display host calls.
//
// Init reports an error through its result and OK flag. Every other entry runs in a
// catch-all frame: an error or a fault ends its steps, what they did before stays
// done, and the entry returns normally. No error ever leaves the library into the
// host, where it would end the host's process.
#include "entries.h"
#include "driver_state.h"
#include "errors.h"
#include "failure_text.h"
#include "lcd.h"
#include "line_mirror.h"
#include "platform/platform.h"
#include "text.h"

DriverState Driver;

namespace {

constexpr char kDriverName[] = "Vantrel v1.0";
constexpr char kUsage[] = "Usage: Enter CH341A Device No. (0 = default)";
constexpr char kDefaultParameters[] = "0";
constexpr uint16_t kNoKey = 0xFF00;

template <class Steps>
void RunCatchAll(Steps steps) {
    Error discarded;
    RunGuarded(steps, &discarded);
}

// The OK flag is the host's byte; a null address is skipped, a bad one ignored.
void SetOkFlag(uint8_t* flag, uint8_t value) {
    if (flag != nullptr) RunCatchAll([=] { *flag = value; });
}

}  // namespace

const char* VANTREL_STDCALL DISPLAYDLL_Init(uint8_t columns, uint8_t rows, const char* parameter,
                                            uint8_t* okFlag) {
    SetOkFlag(okFlag, 1);
    const char* result = kDriverName;
    Error error;
    auto steps = [&] {
        Driver.DeviceIndex = ParseDeviceNumber(TextFromCText(parameter));
        // An unlisted pair is no error and keeps the code stored before.
        GeometryCode code;
        if (LcdGeometryCode(columns, rows, &code)) Driver.Geometry = code;
        LcdOpen(Driver.DeviceIndex);
        LcdInitController(Driver.DeviceIndex);
        LineBlockCreate();
    };
    if (!RunGuarded(steps, &error)) {
        result = ComposeFailureText(error);
        SetOkFlag(okFlag, 0);
    }
    return result;
}

void VANTREL_STDCALL DISPLAYDLL_Done(void) {
    RunCatchAll([] { LcdClose(Driver.DeviceIndex); });
}

const char* VANTREL_STDCALL DISPLAYDLL_DriverName(void) {
    return kDriverName;
}

const char* VANTREL_STDCALL DISPLAYDLL_Usage(void) {
    return kUsage;
}

const char* VANTREL_STDCALL DISPLAYDLL_DefaultParameters(void) {
    return kDefaultParameters;
}

void VANTREL_STDCALL DISPLAYDLL_SetPosition(uint8_t x, uint8_t y) {
    RunCatchAll([=] {
        const uint8_t address = LcdCellAddress(x, y, Driver.Geometry);
        LcdSetDisplayAddress(Driver.DeviceIndex, address);
        // Rows outside 1..4 are shown but select no mirror slot.
        Driver.CurrentRow = CheckedSub(y, 1);
    });
}

void VANTREL_STDCALL DISPLAYDLL_Write(const char* text) {
    RunCatchAll([=] {
        const Text shown = TextFromCText(text);
        LcdWriteText(Driver.DeviceIndex, shown);
        // The mirror gets the text whatever the column it was shown at.
        uint8_t counted[256];
        CountedTextFromText(shown, 255, counted);
        LineBlockStore(counted);
    });
}

void VANTREL_STDCALL DISPLAYDLL_CustomChar(uint8_t number, const uint8_t* pattern) {
    RunCatchAll([=] {
        uint8_t rows[8];
        for (int i = 0; i < 8; ++i) rows[i] = pattern[i];
        // Pattern n starts at character generator address (n - 1) * 8; only 1..32
        // fit in 8 bits, and the controller folds 9..32 onto the eight patterns.
        const uint8_t address = NarrowToByte(CheckedMul(CheckedSub(number, 1), 8));
        LcdSetPatternAddress(Driver.DeviceIndex, address);
        // No instruction follows: text written next goes into character generator
        // RAM until the host sets a position again.
        LcdWritePattern(Driver.DeviceIndex, rows);
    });
}

uint16_t VANTREL_STDCALL DISPLAYDLL_ReadKey(void) {
    return kNoKey;  // the driver has no key input
}

// The panel has no backlight, contrast, brightness, outputs or fans to set.
void VANTREL_STDCALL DISPLAYDLL_SetBacklight(uint32_t) {}
void VANTREL_STDCALL DISPLAYDLL_SetContrast(uint32_t) {}
void VANTREL_STDCALL DISPLAYDLL_SetBrightness(uint32_t) {}
void VANTREL_STDCALL DISPLAYDLL_SetGPO(uint32_t, uint32_t) {}
void VANTREL_STDCALL DISPLAYDLL_SetFan(uint32_t, uint32_t) {}
