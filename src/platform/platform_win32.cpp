// Windows side of the platform layer: the product DLL.
#include "platform.h"

#include <windows.h>

#include <malloc.h>
#include <string.h>

#include "../errors.h"

// The waits (PlatformSleep) are in wait_win32.cpp.

// ---- Guard frames --------------------------------------------------------------
//
// A frame pushes an exception-registration record onto the thread's structured
// exception chain (the list headed at fs:[0]) while the steps run. A fault that
// the system reports reaches our handler, which fills in the error, unwinds the
// records above ours, pops the chain back to the record's successor and jumps into
// the frame. Errors the library raises itself take the same jump directly: nothing
// foreign lies above the frame then. GCC's setjmp builtins restore only registers,
// which is all that is needed: no destructors run between a frame and a raise, and
// the chain head is restored by hand.
//
// Each record lives in the frame's stack memory, is linked in as the new head
// (so the chain stays in stack order) and leaves the chain on both ways out.

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

constexpr DWORD kUnwinding = EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND;

using UnwindFunction = void(WINAPI*)(void*, void*, EXCEPTION_RECORD*, void*);

// UnwindAbove(target, record, RtlUnwind) calls RtlUnwind(target, <return point>,
// record, 0). On x86 RtlUnwind comes back through a context that does not hold
// EBX, ESI and EDI, so the compiler may not keep anything in them across the call:
// the thunk saves them and EBP itself, as compilers' own unwind helpers do.
extern "C" void __cdecl UnwindAbove(Registration* target, EXCEPTION_RECORD* record,
                                    UnwindFunction unwind);
asm(".text\n"
    ".p2align 4\n"
    "_UnwindAbove:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    pushl %ebp\n"
    "    pushl $0\n"          // return value
    "    pushl 12(%ebp)\n"    // exception record
    "    pushl $1f\n"         // where the unwind returns to
    "    pushl 8(%ebp)\n"     // target: the frame's record, which stays on the chain
    "    call *16(%ebp)\n"
    "1:  popl %ebp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    movl %ebp, %esp\n"
    "    popl %ebp\n"
    "    ret\n");

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
    // The code between the frame and the fault (the bridge library) may have records
    // of its own on the chain: try/finally and cleanup frames that release its locks
    // and handles. Before the jump skips their stack, each gets its unwinding call,
    // innermost first, and leaves the chain: the way Windows itself leaves a handler.
    GuardFrame* frame = static_cast<GuardFrame*>(establisher);
    UnwindAbove(&frame->registration, record, &RtlUnwind);
    JumpToFrame(frame, error);
}

// After a stack overflow Windows leaves the thread without a guard page, and the
// next overflow on it would end the process with no handler run. Called once the
// jump has left the exhausted stack, so the guard goes just below the frame. If
// it cannot be set, the thread goes on as Windows left it.
void RearmStackGuard() {
    _resetstkoflw();
}

}  // namespace

bool PlatformRunGuarded(void (*steps)(void*), void* context, Error* error) {
    GuardFrame frame;
    frame.error = error;
    frame.registration.handler = reinterpret_cast<void*>(OnException);
    frame.registration.next = ChainHead();
    if (__builtin_setjmp(frame.jump) != 0) {  // chain head already restored
        if (error->exceptionCode == FaultCode::StackOverflow) RearmStackGuard();
        return false;
    }
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
