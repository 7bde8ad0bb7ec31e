#include "line_mirror.h"

#include <atomic>

#include "driver_state.h"
#include "errors.h"
#include "platform/platform.h"

void LineBlockCreate() {
    if (Driver.LineBlockView != nullptr && Driver.LineBlockWritable) return;
    SharedHandle handle = PlatformCreateSharedBlock(kLineBlockName, kLineBlockSize);
    void* view = PlatformMapSharedBlock(handle, true);
    if (view == nullptr) {
        // Not created or not writable: no store will reach the block. A reader's
        // view, if the library holds one, stays in use.
        PlatformReleaseSharedBlock(handle, nullptr);
        return;
    }
    PlatformReleaseSharedBlock(Driver.LineBlockHandle, Driver.LineBlockView);
    Driver.LineBlockHandle = handle;
    Driver.LineBlockView = static_cast<uint8_t*>(view);
    Driver.LineBlockWritable = true;
}

void LineBlockStore(const uint8_t* counted) {
    const int32_t offset = CheckedMul(CheckIndex(Driver.CurrentRow, 0, kLineSlotCount - 1),
                                      kLineSlotSize);
    if (Driver.LineBlockView == nullptr || !Driver.LineBlockWritable) return;
    CountedTextCopy(counted, Driver.LineBlockView + offset, kLineSlotCapacity);
}

void LineBlockOpen() {
    if (Driver.LineBlockView != nullptr) return;
    PlatformReleaseSharedBlock(Driver.LineBlockHandle, nullptr);
    Driver.LineBlockHandle = PlatformOpenSharedBlock(kLineBlockName);
    Driver.LineBlockView = static_cast<uint8_t*>(PlatformMapSharedBlock(Driver.LineBlockHandle, false));
    Driver.LineBlockWritable = false;
}

namespace {

// The block is memory that a writer in another process may be storing into while
// it is read: every byte of a slot is read as a relaxed atomic load, so each is
// read exactly once and the compiler may neither repeat nor merge the reads.
uint8_t SharedByte(const uint8_t* byte) {
    return std::atomic_ref<uint8_t>(*const_cast<uint8_t*>(byte)).load(std::memory_order_relaxed);
}

const uint8_t* SlotAt(int32_t slot) {
    return Driver.LineBlockView + CheckedMul(CheckIndex(slot, 0, kLineSlotCount - 1), kLineSlotSize);
}

// The slot's length, read once. A length above 80 can only come from a foreign
// writer; 80 characters are read then, never past the slot.
uint8_t SlotLength(const uint8_t* counted) {
    const uint8_t length = SharedByte(counted);
    return length > kLineSlotCapacity ? kLineSlotCapacity : length;
}

}  // namespace

Text LineBlockSlotText(int32_t slot) {
    const uint8_t* counted = SlotAt(slot);
    Text text;
    text.data = counted + 1;
    text.length = SlotLength(counted);
    return text;
}

void LineBlockSlotToCBuffer(int32_t slot, char* buffer) {
    const uint8_t* counted = SlotAt(slot);
    const uint8_t length = SlotLength(counted);
    // The characters up to the first code 0 or the length read above, then a zero
    // byte: what TextToCBuffer makes of the slot's text. The loop bound is a local
    // copy, so no later read of the length byte can change how far it goes.
    uint8_t i = 0;
    for (; i < length; ++i) {
        const uint8_t c = SharedByte(counted + 1 + i);
        if (c == 0) break;
        buffer[i] = static_cast<char>(c);
    }
    buffer[i] = '\0';
}
