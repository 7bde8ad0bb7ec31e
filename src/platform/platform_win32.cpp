// Windows side of the platform layer: the product DLL.
#include "platform.h"

#include <windows.h>

#include <string.h>

#include "../errors.h"

// The waits (PlatformSleep) are in wait_win32.cpp.

// ---- Guard frames --------------------------------------------------------------
//
// A frame pushes an exception-registration record onto the thread's structured
// exception chain (the list headed at fs:[0]) while the steps run. A fault that
// the system reports reaches our handler, which fills in the error, pops the chain
// back to the record's successor and jumps into the frame. Errors the library
// raises itself take the same jump directly. GCC's setjmp builtins restore only
// registers, which is all that is needed: no destructors run between a frame and
// a raise, and the chain head is restored by hand.

namespace {

struct Registration {
    Registration* next;
    void* handler;
};

struct GuardFrame {
    Registration registration;  // first: the handler is given its address
    void* jump[5];
    Error* error;
};

Registration* ChainHead() {
    Registration* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(Registration* head) {
    asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

[[noreturn]] void JumpToFrame(GuardFrame* frame, const Error& error) {
    *frame->error = error;
    SetChainHead(frame->registration.next);
    __builtin_longjmp(frame->jump, 1);
}

constexpr DWORD kUnwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND

extern "C" EXCEPTION_DISPOSITION __cdecl OnException(EXCEPTION_RECORD* record, void* establisher,
                                                      CONTEXT*, void*) {
    if (record->ExceptionFlags & kUnwinding) return ExceptionContinueSearch;
    Error error;
    error.exceptionCode = record->ExceptionCode;
    error.kind = ErrorKindFromFaultCode(record->ExceptionCode);
    if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
        error.faultAddress = record->ExceptionAddress;
        error.writeAccess = record->ExceptionInformation[0] != 0;  // 0 read, 1 write, 8 execute
        error.accessAddress = reinterpret_cast<const void*>(record->ExceptionInformation[1]);
    }
    JumpToFrame(static_cast<GuardFrame*>(establisher), error);
}

}  // namespace

bool PlatformRunGuarded(void (*steps)(void*), void* context, Error* error) {
    GuardFrame frame;
    frame.error = error;
    frame.registration.handler = reinterpret_cast<void*>(OnException);
    frame.registration.next = ChainHead();
    if (__builtin_setjmp(frame.jump) != 0) return false;  // chain head already restored
    SetChainHead(&frame.registration);
    steps(context);
    SetChainHead(frame.registration.next);
    return true;
}

void Raise(const Error& error) {
    // The innermost of our records on this thread's chain is the current frame:
    // nothing the library calls while it raises has pushed records of its own.
    for (Registration* r = ChainHead(); r != nullptr && r != reinterpret_cast<Registration*>(-1);
         r = r->next) {
        if (r->handler == reinterpret_cast<void*>(OnException)) {
            JumpToFrame(reinterpret_cast<GuardFrame*>(r), error);
        }
    }
    // Unreachable: every entry that can raise runs in a frame.
    RaiseException(0xE0000000u | static_cast<DWORD>(error.kind), EXCEPTION_NONCONTINUABLE, 0,
                   nullptr);
    for (;;) {
    }
}

// ---- Modules -------------------------------------------------------------------

bool PlatformModuleFileName(const void* address, char* name, size_t capacity) {
    HMODULE module = nullptr;
    if (capacity == 0 ||
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module)) {
        return false;
    }
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    if (length == 0 || length >= sizeof path) return false;
    const char* base = path;
    for (const char* c = path; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/') base = c + 1;
    }
    strncpy(name, base, capacity - 1);
    name[capacity - 1] = '\0';
    return true;
}

// ---- Shared memory -------------------------------------------------------------

SharedHandle PlatformCreateSharedBlock(const char* name, uint32_t size) {
    // Backed by the paging file; an existing block of that name is opened unchanged.
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
}

SharedHandle PlatformOpenSharedBlock(const char* name) {
    return OpenFileMappingA(FILE_MAP_READ, FALSE, name);
}

void* PlatformMapSharedBlock(SharedHandle handle, bool writable) {
    if (handle == nullptr) return nullptr;
    return MapViewOfFile(handle, writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0);
}

void PlatformReleaseSharedBlock(SharedHandle handle, void* view) {
    if (view != nullptr) UnmapViewOfFile(view);
    if (handle != nullptr) CloseHandle(handle);
}
