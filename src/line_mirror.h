// The line mirror: the named shared block "DisplayLines" that holds the latest text
// written to each of the four display rows, for other processes to read.
//
// Layout (324 bytes, no header): four slots of 81 bytes, slot k for display row k+1.
// A slot is a length byte (0 to 80) followed by 80 character bytes; bytes past the
// length keep whatever an earlier, longer text left there (zero in a new block).
#pragma once

#include <stdint.h>

#include "text.h"

constexpr char kLineBlockName[] = "DisplayLines";
constexpr int32_t kLineSlotCount = 4;
constexpr int32_t kLineSlotSize = 81;
constexpr uint8_t kLineSlotCapacity = 80;
constexpr uint32_t kLineBlockSize = kLineSlotCount * kLineSlotSize;  // 324

// Creates or opens the block and maps it writable, keeping a writable view that the
// library already holds; a reader's read-only view is released in favour of it.
void LineBlockCreate();
// Stores a CountedText into the slot of Driver.CurrentRow (first 80 characters).
// ERangeError for a row outside 0..3; nothing is stored while no writable view exists.
void LineBlockStore(const uint8_t* counted);
// Opens the existing block by name, read only, when the library holds no view.
void LineBlockOpen();
// The text of slot `slot` of the mapped block, at most 80 characters.
Text LineBlockSlotText(int32_t slot);
