// Random sequences of entry calls with random arguments against the native build and
// the recording stand-in bridge. Each input starts from the state of a freshly
// loaded library with no block. Checked after every call:
//   - every slot's length byte is at most 80;
//   - CalculateEx writes at most 81 bytes into each buffer (guard bytes behind them)
//     and yields texts of at most 80 characters;
//   - OutputName writes "$<index+1>" and nothing after it;
//   - a failing Init reports "Exception: '<param>' ist kein g\xFCltiger Integerwert"
//     or "Exception: Fehler bei Bereichspr\xFC" "fung", with its OK flag at 0;
//   - the panel that the controller stream draws shows what was written: the bridge
//     records are fed into the panel model as they arrive, and after a Write that
//     follows a SetPosition inside the panel of the last successful Init (with a
//     device number the bridge accepts), the row holds the text from that column on.
// The sanitizers catch everything else.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bridge_stub.h"
#include "driver_state.h"
#include "entries.h"
#include "line_mirror.h"
#include "platform/platform.h"

#include "hd44780_model.h"
#include "panel_view.h"

namespace {

char Prefix[40];

void NoWait(uint32_t) {}

std::string BlockObjectName() {
    return std::string("/") + Prefix + kLineBlockName;
}

void RemoveBlock() {
    shm_unlink(BlockObjectName().c_str());
}

void ResetDriver() {
    PlatformReleaseSharedBlock(Driver.LineBlockHandle, Driver.LineBlockView);
    Driver = DriverState{};
}

[[noreturn]] void Fail(const char* what) {
    fprintf(stderr, "fuzz_entry_sequences: %s\n", what);
    abort();
}

void CheckSlots() {
    if (Driver.LineBlockView == nullptr) return;
    for (int32_t slot = 0; slot < kLineSlotCount; ++slot) {
        if (Driver.LineBlockView[slot * kLineSlotSize] > kLineSlotCapacity) Fail("slot length above 80");
    }
}

// A zero-terminated text of random bytes other than 0.
std::string RandomText(FuzzedDataProvider& in) {
    std::string text = in.ConsumeRandomLengthString(400);
    for (char& c : text) {
        if (c == '\0') c = '0';
    }
    return text;
}

constexpr uint8_t kGuard = 0xA5;

void CheckInit(const std::string& parameter, const char* result, uint8_t ok) {
    if (strcmp(result, "Vantrel v1.0") == 0) {
        if (ok != 1) Fail("Init succeeded with the OK flag at 0");
        return;
    }
    if (ok != 0) Fail("Init failed with the OK flag at 1");
    const std::string notANumber = "Exception: '" + parameter + "' ist kein g\xFCltiger Integerwert";
    const std::string range = "Exception: Fehler bei Bereichspr\xFC" "fung";
    if (result != notANumber && result != range) Fail("unexpected failure text");
}

void CheckCalculate() {
    constexpr size_t kRoom = 81, kGuardBytes = 32;
    uint8_t buffers[4][kRoom + kGuardBytes];
    memset(buffers, kGuard, sizeof buffers);
    char* table[101] = {};
    for (int i = 0; i < 4; ++i) table[i] = reinterpret_cast<char*>(buffers[i]);
    CalculateEx(table);
    for (auto& buffer : buffers) {
        for (size_t i = kRoom; i < sizeof buffer; ++i) {
            if (buffer[i] != kGuard) Fail("CalculateEx wrote past 81 bytes");
        }
        if (memchr(buffer, 0, kRoom) == nullptr) Fail("CalculateEx output not terminated");
    }
}

void CheckOutputName(uint8_t index) {
    uint8_t record[256 + 16];
    memset(record, kGuard, sizeof record);
    OutputName(index, record);
    const std::string expected = "$" + std::to_string(index + 1);
    if (record[0] != expected.size() || memcmp(record + 1, expected.data(), expected.size()) != 0) {
        Fail("OutputName gave a wrong name");
    }
    for (size_t i = 1 + expected.size(); i < sizeof record; ++i) {
        if (record[i] != kGuard) Fail("OutputName wrote past the name");
    }
}

// The panel as the recorded stream draws it, and what the entries were asked to show.
struct PanelOracle {
    panel::Hd44780Model model;
    uint32_t fed = 0;  // bridge records fed into the model so far
    // The geometry of the panel, known once an Init with a listed one succeeded;
    // writes reach the device only while the last Init did not fail on its number.
    std::optional<panel::PanelGeometry> geometry;
    bool deviceUsable = true;
    // The cell that the last step positioned at (0-based), when it lies on the panel.
    std::optional<std::pair<int, int>> positioned;

    void Feed() {
        BridgeRecord r;
        for (; BridgeStubGet(fed, &r); ++fed) {
            if (r.kind == BridgeInstruction) model.Instruction(static_cast<uint8_t>(r.byte));
            if (r.kind == BridgeData) model.Data(static_cast<uint8_t>(r.byte));
        }
    }
    void AfterInit(uint8_t columns, uint8_t rows, bool succeeded, bool rangeFailure) {
        const panel::PanelGeometry asked{columns, rows};
        bool listed = false;
        for (const panel::PanelGeometry& g : panel::SupportedGeometries()) listed = listed || g == asked;
        // A number out of range is refused after the geometry has been looked up.
        if ((succeeded || rangeFailure) && listed) geometry = asked;
        if (succeeded) deviceUsable = true;
        if (rangeFailure) deviceUsable = false;
    }
    void AfterSetPosition(uint8_t x, uint8_t y) {
        positioned.reset();
        if (geometry && deviceUsable && x >= 1 && x <= geometry->columns && y >= 1 && y <= geometry->rows) {
            positioned = std::make_pair(y - 1, x - 1);
        }
    }
    void AfterWrite(const std::string& text) {
        Feed();
        if (!positioned) return;
        const auto [row, column] = *positioned;
        positioned.reset();
        // The driver's controller runs in two-line mode, whose 80 cells the address
        // counter steps through in a cycle: byte k of a text lands k cells on, so in a
        // text of more than 80 bytes the later bytes cover the earlier ones.
        const size_t shown = std::min(text.size(), static_cast<size_t>(geometry->columns - column));
        const std::vector<uint8_t> codes = panel::VisibleCodes(model, *geometry)[row];
        for (size_t i = 0; i < shown; ++i) {
            const size_t last = i + (text.size() - 1 - i) / 80 * 80;  // the last byte into this cell
            if (codes[column + i] != static_cast<uint8_t>(text[last])) Fail("the panel does not show the text written");
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    snprintf(Prefix, sizeof Prefix, "vantrel-fuzz-%d-", static_cast<int>(getpid()));
    PlatformSetSharedNamePrefix(Prefix);
    PlatformSetSleepFunction(NoWait);
    atexit(RemoveBlock);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetDriver();
    RemoveBlock();
    BridgeStubReset();
    PanelOracle oracle;
    FuzzedDataProvider in(data, size);
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        const int kind = in.ConsumeIntegralInRange<int>(0, 8);
        // A new Init or a pattern load moves the controller elsewhere.
        if (kind == 0 || kind == 3) oracle.positioned.reset();
        switch (kind) {
        case 0: {
            // Half the time a listed geometry, so that the panel oracle has rows to compare.
            uint8_t columns = in.ConsumeIntegral<uint8_t>();
            uint8_t rows = in.ConsumeIntegral<uint8_t>();
            if (in.ConsumeBool()) {
                const auto& listed = panel::SupportedGeometries();
                const panel::PanelGeometry g = listed[in.ConsumeIntegralInRange<size_t>(0, listed.size() - 1)];
                columns = static_cast<uint8_t>(g.columns);
                rows = static_cast<uint8_t>(g.rows);
            }
            const std::string parameter = RandomText(in);
            uint8_t ok = 0x77;
            const char* result = DISPLAYDLL_Init(columns, rows, parameter.c_str(), &ok);
            CheckInit(parameter, result, ok);
            oracle.AfterInit(columns, rows, ok == 1, strcmp(result, "Exception: Fehler bei Bereichspr\xFC" "fung") == 0);
            break;
        }
        case 1: {
            // Mostly cells on the panel, so that the oracle has rows to compare.
            const uint8_t x = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint8_t>(0, 41) : in.ConsumeIntegral<uint8_t>();
            const uint8_t y = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint8_t>(0, 5) : in.ConsumeIntegral<uint8_t>();
            DISPLAYDLL_SetPosition(x, y);
            oracle.AfterSetPosition(x, y);
            break;
        }
        case 2: {
            // The host's text in a block of exactly its own size (with its terminator).
            const std::string text = RandomText(in);
            std::vector<char> copy(text.c_str(), text.c_str() + text.size() + 1);
            DISPLAYDLL_Write(copy.data());
            oracle.AfterWrite(text);
            break;
        }
        case 3: {
            uint8_t pattern[8];
            const uint8_t number = in.ConsumeIntegral<uint8_t>();
            for (uint8_t& row : pattern) row = in.ConsumeIntegral<uint8_t>();
            DISPLAYDLL_CustomChar(number, pattern);
            break;
        }
        case 4: DISPLAYDLL_Done(); break;
        case 5:
            if (NumOutputs() != 4) Fail("NumOutputs is not 4");
            break;
        case 6: CheckOutputName(in.ConsumeIntegral<uint8_t>()); break;
        case 7: CheckCalculate(); break;
        case 8: {
            // A second reader view: what another library instance would see.
            const int32_t slot = in.ConsumeIntegralInRange<int32_t>(0, 3);
            if (Driver.LineBlockView != nullptr) {
                const Text text = LineBlockSlotText(slot);
                if (text.length > kLineSlotCapacity) Fail("slot text above 80 characters");
            }
            break;
        }
        }
        CheckSlots();
    }
    return 0;
}
