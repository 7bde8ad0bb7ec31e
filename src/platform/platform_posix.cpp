// POSIX side of the platform layer, for the native build that tests and tools use.
#include "platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>

#include "../errors.h"

// ---- Waits ---------------------------------------------------------------------

namespace {

void NanoSleep(uint32_t ms) {
    timespec delay{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0) {
    }
}

void (*SleepFunction)(uint32_t) = NanoSleep;

}  // namespace

void PlatformSleep(uint32_t ms) {
    SleepFunction(ms);
}

void PlatformSetSleepFunction(void (*sleep)(uint32_t ms)) {
    SleepFunction = sleep != nullptr ? sleep : NanoSleep;
}

// ---- Guard frames --------------------------------------------------------------
//
// A frame records where to jump back to; the signal handlers for the faults that
// Windows reports as exceptions jump there when a frame is active on the faulting
// thread and pass the signal on to the previous handler otherwise. The jump buffer
// does not save the signal mask (no system call per entry), so the handlers run
// with SA_NODEFER and leave the signal unblocked when they jump.

namespace {

struct GuardFrame {
    sigjmp_buf jump;
    Error* error;
    GuardFrame* outer;
};

thread_local GuardFrame* CurrentFrame = nullptr;

constexpr int kGuardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE};
struct sigaction PreviousActions[sizeof kGuardedSignals / sizeof kGuardedSignals[0]];
std::atomic<bool> HandlersInstalled{false};

[[noreturn]] void JumpToFrame(GuardFrame* frame, const Error& error) {
    *frame->error = error;
    CurrentFrame = frame->outer;
    siglongjmp(frame->jump, 1);
}

uint32_t FaultCodeOf(int signal, const siginfo_t* info) {
    if (signal != SIGFPE) return FaultCode::AccessViolation;
    switch (info->si_code) {
    case FPE_INTDIV: return FaultCode::IntDivideByZero;
    case FPE_INTOVF: return FaultCode::IntOverflow;
    case FPE_FLTDIV: return FaultCode::FltDivideByZero;
    case FPE_FLTOVF: return FaultCode::FltOverflow;
    case FPE_FLTUND: return FaultCode::FltUnderflow;
    case FPE_FLTRES: return FaultCode::FltInexactResult;
    case FPE_FLTINV: return FaultCode::FltInvalidOperation;
    case FPE_FLTSUB: return FaultCode::ArrayBoundsExceeded;
    default: return FaultCode::FltInvalidOperation;
    }
}

void RestoreDefault(int signal, const siginfo_t* info) {
    // Returning from the handler re-runs the faulting instruction, which then ends
    // the process as it would have without us; a signal sent by kill is re-raised.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
    if (info->si_code <= 0) raise(signal);
}

void PassOn(int signal, siginfo_t* info, void* context) {
    for (size_t i = 0; i < sizeof kGuardedSignals / sizeof kGuardedSignals[0]; ++i) {
        if (kGuardedSignals[i] != signal) continue;
        const struct sigaction& previous = PreviousActions[i];
        if (previous.sa_flags & SA_SIGINFO) {
            previous.sa_sigaction(signal, info, context);
        } else if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
            RestoreDefault(signal, info);  // an ignored fault would repeat forever
        } else {
            previous.sa_handler(signal);
        }
        return;
    }
}

void OnFault(int signal, siginfo_t* info, void* context) {
    GuardFrame* frame = CurrentFrame;
    if (frame == nullptr) {
        PassOn(signal, info, context);
        return;
    }
    Error error;
    error.exceptionCode = FaultCodeOf(signal, info);
    error.kind = ErrorKindFromFaultCode(error.exceptionCode);
    error.accessAddress = info->si_addr;
#if defined(__x86_64__)
    const auto* machine = &static_cast<ucontext_t*>(context)->uc_mcontext;
    error.faultAddress = reinterpret_cast<const void*>(machine->gregs[REG_RIP]);
    error.writeAccess = (machine->gregs[REG_ERR] & 2) != 0;  // page-fault error code: W bit
#elif defined(__i386__)
    const auto* machine = &static_cast<ucontext_t*>(context)->uc_mcontext;
    error.faultAddress = reinterpret_cast<const void*>(machine->gregs[REG_EIP]);
    error.writeAccess = (machine->gregs[REG_ERR] & 2) != 0;
#endif
    JumpToFrame(frame, error);
}

void InstallHandlers() {
    if (HandlersInstalled.load(std::memory_order_acquire)) return;
    static std::atomic_flag installing = ATOMIC_FLAG_INIT;
    if (installing.test_and_set()) {
        while (!HandlersInstalled.load(std::memory_order_acquire)) {
        }
        return;
    }
    for (size_t i = 0; i < sizeof kGuardedSignals / sizeof kGuardedSignals[0]; ++i) {
        struct sigaction action {};
        action.sa_sigaction = OnFault;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(kGuardedSignals[i], &action, &PreviousActions[i]);
    }
    HandlersInstalled.store(true, std::memory_order_release);
}

}  // namespace

bool PlatformRunGuarded(void (*steps)(void*), void* context, Error* error) {
    InstallHandlers();
    GuardFrame frame;
    frame.error = error;
    frame.outer = CurrentFrame;
    if (sigsetjmp(frame.jump, 0) != 0) return false;  // CurrentFrame already restored
    CurrentFrame = &frame;
    steps(context);
    CurrentFrame = frame.outer;
    return true;
}

void Raise(const Error& error) {
    GuardFrame* frame = CurrentFrame;
    if (frame == nullptr) abort();  // every entry that can raise runs in a frame
    JumpToFrame(frame, error);
}

// ---- Modules -------------------------------------------------------------------

bool PlatformModuleFileName(const void* address, char* name, size_t capacity) {
    Dl_info info;
    if (capacity == 0 || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return false;
    const char* base = strrchr(info.dli_fname, '/');
    base = base != nullptr ? base + 1 : info.dli_fname;
    strncpy(name, base, capacity - 1);
    name[capacity - 1] = '\0';
    return true;
}

// ---- Shared memory -------------------------------------------------------------
//
// A handle is the descriptor of the shared-memory object plus one, so that null
// means none. POSIX objects outlive their processes until unlinked; tests keep
// theirs apart with a name prefix and remove them afterwards.

namespace {

char NamePrefix[64] = "";

bool ObjectName(const char* name, char* out, size_t capacity) {
    const size_t prefix = strlen(NamePrefix);
    const size_t length = strlen(name);
    if (2 + prefix + length > capacity) return false;
    out[0] = '/';
    memcpy(out + 1, NamePrefix, prefix);
    memcpy(out + 1 + prefix, name, length + 1);
    return true;
}

SharedHandle HandleOf(int fd) {
    return fd < 0 ? nullptr : reinterpret_cast<SharedHandle>(static_cast<intptr_t>(fd) + 1);
}

int DescriptorOf(SharedHandle handle) {
    return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1);
}

size_t ObjectSize(SharedHandle handle) {
    struct stat status;
    if (handle == nullptr || fstat(DescriptorOf(handle), &status) != 0) return 0;
    return static_cast<size_t>(status.st_size);
}

}  // namespace

void PlatformSetSharedNamePrefix(const char* prefix) {
    strncpy(NamePrefix, prefix != nullptr ? prefix : "", sizeof NamePrefix - 1);
}

SharedHandle PlatformCreateSharedBlock(const char* name, uint32_t size) {
    char object[128];
    if (!ObjectName(name, object, sizeof object)) return nullptr;
    int fd = shm_open(object, O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        // A new object is empty; giving it its size fills it with zero bytes.
        if (ftruncate(fd, size) != 0) {
            close(fd);
            return nullptr;
        }
        return HandleOf(fd);
    }
    return HandleOf(shm_open(object, O_RDWR, 0));
}

SharedHandle PlatformOpenSharedBlock(const char* name) {
    char object[128];
    if (!ObjectName(name, object, sizeof object)) return nullptr;
    return HandleOf(shm_open(object, O_RDONLY, 0));
}

void* PlatformMapSharedBlock(SharedHandle handle, bool writable) {
    const size_t size = ObjectSize(handle);
    if (size == 0) return nullptr;
    void* view = mmap(nullptr, size, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED,
                      DescriptorOf(handle), 0);
    return view == MAP_FAILED ? nullptr : view;
}

void PlatformReleaseSharedBlock(SharedHandle handle, void* view) {
    if (view != nullptr) munmap(view, ObjectSize(handle));
    if (handle != nullptr) close(DescriptorOf(handle));
}
