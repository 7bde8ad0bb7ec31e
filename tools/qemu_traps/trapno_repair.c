// Preloaded into 32-bit Wine when it runs under qemu-user (cmake/wine-run.sh).
//
// qemu-user writes -1 into the signal context's trap number for every synchronous
// signal, and Wine's i386 signal handlers tell faults apart by that number: every
// access violation would become an illegal instruction, a division by zero an
// invalid floating-point operation, and Wine's own stack-guard handling would break.
// This library wraps sigaction() for the fault signals and, before the program's
// handler runs, writes the trap number (and page-fault error bits) that an i386
// kernel would have reported. A context that already holds a trap number, as on a
// kernel that runs i386 programs itself, is passed on untouched.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stddef.h>
#include <ucontext.h>

// Trap numbers of the i386 exceptions behind each signal.
enum {
    kTrapDivide = 0,
    kTrapDebug = 1,
    kTrapBreakpoint = 3,
    kTrapInvalidOpcode = 6,
    kTrapGeneralProtection = 13,
    kTrapPageFault = 14,
    kTrapFloatingPoint = 16,
    kTrapAlignment = 17,
};

// Page-fault error-code bits: 0x2 write (qemu sets it right), 0x4 user mode,
// 0x10 instruction fetch.
enum { kErrUser = 0x4, kErrFetch = 0x10 };

typedef void (*InfoHandler)(int, siginfo_t*, void*);
typedef int (*SigactionFunction)(int, const struct sigaction*, struct sigaction*);

static InfoHandler program_handlers[NSIG];

static int Repaired(int signal) {
    return signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL ||
           signal == SIGTRAP;
}

static void RepairContext(int signal, const siginfo_t* info, ucontext_t* context) {
    greg_t* regs = context->uc_mcontext.gregs;
    if (regs[REG_TRAPNO] != -1) return;
    switch (signal) {
    case SIGSEGV:
        if (info->si_code == SEGV_MAPERR || info->si_code == SEGV_ACCERR) {
            regs[REG_TRAPNO] = kTrapPageFault;
            regs[REG_ERR] |= kErrUser;
            if ((greg_t)(size_t)info->si_addr == regs[REG_EIP]) regs[REG_ERR] |= kErrFetch;
        } else {
            regs[REG_TRAPNO] = kTrapGeneralProtection;  // SI_KERNEL: a protection fault
        }
        break;
    case SIGILL:
        regs[REG_TRAPNO] = kTrapInvalidOpcode;
        break;
    case SIGFPE:
        regs[REG_TRAPNO] = (info->si_code == FPE_INTDIV || info->si_code == FPE_INTOVF)
                               ? kTrapDivide
                               : kTrapFloatingPoint;
        break;
    case SIGTRAP:
        regs[REG_TRAPNO] = info->si_code == SI_KERNEL ? kTrapBreakpoint : kTrapDebug;
        break;
    case SIGBUS:
        regs[REG_TRAPNO] = info->si_code == BUS_ADRALN ? kTrapAlignment : kTrapPageFault;
        break;
    }
}

static void RepairThenCall(int signal, siginfo_t* info, void* context) {
    RepairContext(signal, info, (ucontext_t*)context);
    program_handlers[signal](signal, info, context);
}

int sigaction(int signal, const struct sigaction* action, struct sigaction* old) {
    static SigactionFunction next_sigaction;
    if (next_sigaction == NULL) next_sigaction = (SigactionFunction)dlsym(RTLD_NEXT, "sigaction");
    if (signal <= 0 || signal >= NSIG || !Repaired(signal)) {
        return next_sigaction(signal, action, old);
    }

    const InfoHandler previous = program_handlers[signal];
    struct sigaction installed;
    const struct sigaction* pass = action;
    if (action != NULL && (action->sa_flags & SA_SIGINFO) && action->sa_sigaction != NULL) {
        installed = *action;
        installed.sa_sigaction = RepairThenCall;
        pass = &installed;
    }
    const int result = next_sigaction(signal, pass, old);
    if (result != 0) return result;
    if (action != NULL) program_handlers[signal] = pass == action ? NULL : action->sa_sigaction;
    // The caller sees its own handler, never the wrapper, so that it can put it back.
    if (old != NULL && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == RepairThenCall) {
        old->sa_sigaction = previous;
    }
    return 0;
}
