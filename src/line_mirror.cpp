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

Text LineBlockSlotText(int32_t slot) {
    const uint8_t* counted =
        Driver.LineBlockView + CheckedMul(CheckIndex(slot, 0, kLineSlotCount - 1), kLineSlotSize);
    // A writer in another process may be storing into the slot right now: the
    // length byte is read once, as a relaxed atomic load, which the compiler may
    // neither repeat nor replace by a later plain read. The text carries that value,
    // so a copy of its characters (TextToCBuffer) is bounded by it and never looks
    // at the length byte again. A length above 80 can only come from a foreign
    // writer; 80 characters are read then, never past the slot.
    const uint8_t length =
        std::atomic_ref<uint8_t>(*const_cast<uint8_t*>(counted)).load(std::memory_order_relaxed);
    Text text;
    text.data = counted + 1;
    text.length = length > kLineSlotCapacity ? kLineSlotCapacity : length;
    return text;
}
