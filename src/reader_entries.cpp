// The reader entries: another application loads the library to read the four
// mirrored rows as the text outputs $1 to $4.
#include "entries.h"
#include "driver_state.h"
#include "errors.h"
#include "line_mirror.h"
#include "platform/platform.h"
#include "text.h"

namespace {

constexpr uint8_t kOutputCount = 4;
constexpr char kFallbackText[] = "Glimmora?";
// The host's table of buffer addresses has room for entries 0 to 100.
constexpr int32_t kLastBufferIndex = 100;

char* BufferAt(char* const* buffers, int32_t index) {
    return buffers[CheckIndex(index, 0, kLastBufferIndex)];
}

}  // namespace

uint8_t VANTREL_STDCALL NumOutputs(void) {
    return kOutputCount;
}

void VANTREL_STDCALL OutputName(uint8_t index, uint8_t* record) {
    Error discarded;
    auto steps = [=] {
        // "$" and the 1-based output number: $1 to $256.
        char digits[11];
        const Text number = DecimalText(CheckedAdd(index, 1), digits);
        uint8_t name[12] = {'$'};
        for (uint32_t i = 0; i < number.length; ++i) name[1 + i] = number.data[i];
        CountedTextFromText(Text{name, 1 + number.length}, 255, record);
    };
    RunGuarded(steps, &discarded);
}

void VANTREL_STDCALL CalculateEx(char* const* buffers) {
    Error error;
    auto copyRows = [=] {
        for (int32_t i = 0; i < kOutputCount; ++i) TextToCBuffer(LineBlockSlotText(i), BufferAt(buffers, i));
    };
    if (Driver.LineBlockView != nullptr && RunGuarded(copyRows, &error)) return;

    // Unattached, or the rows could not be read or written: every output shows the
    // fallback, and a library that holds no view tries to attach for the next call.
    auto fallback = [=] {
        const Text text = TextFromCText(kFallbackText);
        for (int32_t j = 0; j < kOutputCount; ++j) TextToCBuffer(text, BufferAt(buffers, j));
        LineBlockOpen();
    };
    RunGuarded(fallback, &error);
}
