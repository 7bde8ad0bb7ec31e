#include "failure_text.h"

#include <stdlib.h>
#include <string.h>

#include "errors.h"

namespace {

constexpr char kPrefix[] = "Exception: ";

// Most messages fit the fixed buffer. Only a very long start-up parameter, quoted
// whole in its conversion message, needs the heap; that happens on Init's failure
// path alone, and the block is kept until the next failure text replaces it.
char FixedText[512];
char* HeapText = nullptr;

size_t Compose(const Error& error, char* buffer, size_t capacity) {
    MessageSink sink{buffer, capacity};
    sink.Put(kPrefix);
    FormatErrorMessage(error, sink);
    sink.Put('\0');
    return sink.length;
}

}  // namespace

const char* ComposeFailureText(const Error& error) {
    free(HeapText);
    HeapText = nullptr;
    const size_t needed = Compose(error, FixedText, sizeof FixedText);
    if (needed <= sizeof FixedText) return FixedText;
    HeapText = static_cast<char*>(malloc(needed));
    if (HeapText != nullptr) {
        Compose(error, HeapText, needed);
        return HeapText;
    }
    Error outOfMemory;
    outOfMemory.kind = ErrorKind::EOutOfMemory;
    Compose(outOfMemory, FixedText, sizeof FixedText);
    return FixedText;
}
