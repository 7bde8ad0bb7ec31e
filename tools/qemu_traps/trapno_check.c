// Checks what a 32-bit program's fault handler sees: for each kind of fault, the
// signal, the trap number and the page-fault error bits an i386 kernel reports.
// Run with the repair library preloaded under qemu-user (or natively on a kernel
// that runs i386 programs, where the numbers come from the kernel itself).
// Exit status 0 when every case matched.
#define _GNU_SOURCE
#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

static sigjmp_buf resume;
static volatile int seen_signal;
static volatile greg_t seen_trapno, seen_err;

static void OnFault(int signal, siginfo_t* info, void* context) {
    (void)info;
    const greg_t* regs = ((ucontext_t*)context)->uc_mcontext.gregs;
    seen_signal = signal;
    seen_trapno = regs[REG_TRAPNO];
    seen_err = regs[REG_ERR];
    siglongjmp(resume, 1);
}

static volatile int zero = 0;
static volatile int sink;
static char* unbacked_page;  // a mapped page past the end of an empty file

static void ReadUnmapped(void) { sink = *(volatile int*)16; }
static void WriteUnmapped(void) { *(volatile int*)16 = 1; }
static void ExecuteUnmapped(void) { ((void (*)(void))0x1000)(); }
static void InvalidOpcode(void) { __asm__ volatile("ud2"); }
static void DivideByZero(void) {
    // In assembly: the compiler may turn 1 / x into a comparison that never traps.
    int quotient;
    __asm__ volatile("cltd; idivl %2" : "=a"(quotient) : "a"(1), "r"(zero) : "edx");
    sink = quotient;
}
static void Breakpoint(void) { __asm__ volatile("int3"); }
static void PrivilegedInstruction(void) { __asm__ volatile("hlt"); }
static void ReadPastEndOfFile(void) { sink = *(volatile char*)unbacked_page; }

struct Case {
    const char* name;
    void (*fault)(void);
    int signal;
    greg_t trapno;
    greg_t err_mask;  // the error bits compared ...
    greg_t err;       // ... and what they must be
};

static const struct Case kCases[] = {
    {"read of an unmapped page", ReadUnmapped, SIGSEGV, 14, 0x16, 0x04},
    {"write to an unmapped page", WriteUnmapped, SIGSEGV, 14, 0x16, 0x06},
    {"call into an unmapped page", ExecuteUnmapped, SIGSEGV, 14, 0x14, 0x14},
    {"invalid opcode", InvalidOpcode, SIGILL, 6, 0, 0},
    {"integer division by zero", DivideByZero, SIGFPE, 0, 0, 0},
    {"breakpoint", Breakpoint, SIGTRAP, 3, 0, 0},
    {"privileged instruction", PrivilegedInstruction, SIGSEGV, 13, 0, 0},
    {"read past the end of a mapped file", ReadPastEndOfFile, SIGBUS, 14, 0, 0},
};

static int Install(void) {
    static const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP};
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
        struct sigaction action;
        memset(&action, 0, sizeof action);
        action.sa_sigaction = OnFault;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        if (sigaction(kSignals[i], &action, NULL) != 0) return 0;
        // Asking for the handler back must give ours, never a wrapper of it.
        struct sigaction current;
        if (sigaction(kSignals[i], NULL, &current) != 0 || current.sa_sigaction != OnFault) {
            printf("trapno-check: sigaction(%d) reports a handler that is not the program's\n",
                   kSignals[i]);
            return 0;
        }
    }
    return 1;
}

static int MapPastEndOfFile(void) {
    char path[] = "/tmp/trapno-check-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return 0;
    unlink(path);
    unbacked_page = mmap(NULL, 4096, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    return unbacked_page != MAP_FAILED;
}

int main(void) {
    if (!Install() || !MapPastEndOfFile()) {
        printf("trapno-check: FAILED to set up\n");
        return 1;
    }
    int failures = 0;
    for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
        const struct Case* c = &kCases[i];
        seen_signal = 0;
        seen_trapno = -2;
        seen_err = 0;
        if (sigsetjmp(resume, 1) == 0) c->fault();
        const int ok = seen_signal == c->signal && seen_trapno == c->trapno &&
                       (seen_err & c->err_mask) == c->err;
        printf("trapno-check: %-36s signal %2d trapno %2ld err 0x%02lx  %s\n", c->name,
               seen_signal, (long)seen_trapno, (long)seen_err, ok ? "ok" : "WRONG");
        if (!ok) {
            printf("trapno-check:   expected signal %d trapno %ld err & 0x%02lx == 0x%02lx\n",
                   c->signal, (long)c->trapno, (long)c->err_mask, (long)c->err);
            ++failures;
        }
    }
    printf("trapno-check: %d of %zu cases matched\n",
           (int)(sizeof kCases / sizeof kCases[0]) - failures, sizeof kCases / sizeof kCases[0]);
    return failures == 0 ? 0 : 1;
}
