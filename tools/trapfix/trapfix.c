/* Preload library for 32-bit Wine under qemu-user: gives Wine's fault handlers a trap number.
 *
 * Wine's i386 signal handlers dispatch on the trap number in the signal context (REG_TRAPNO). A
 * real kernel always fills it in; qemu-user leaves it at -1, and Wine then treats every fault as
 * "unexpected trap -1" and ends the process, even for an access violation that a Windows program
 * expects to catch (IsBadReadPtr, guard pages, a __try around a probe). This library wraps
 * sigaction() for the fault signals: the handler Wine installs is called through a trampoline that
 * first derives the trap number from the signal and si_code, as the kernel would have set it.
 * Where the context already holds a trap number (a real kernel) the trampoline changes nothing.
 *
 * Built twice by scripts/setup-emulation: for i386 (the work) and, with TRAPFIX_STANDIN, an empty
 * x86-64 library of the same name, so that the 64-bit Wine processes that inherit LD_PRELOAD
 * (through $LIB in the path) load something harmless instead of printing an error.
 */
#ifndef TRAPFIX_STANDIN
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stddef.h>
#include <ucontext.h>

/* Trap numbers of the i386 exceptions that Wine distinguishes. */
enum {
  kDivide = 0,
  kSingleStep = 1,
  kBreakpoint = 3,
  kInvalidOpcode = 6,
  kProtection = 13,
  kPageFault = 14,
  kFpu = 16,
  kAlignment = 17
};

typedef int (*sigaction_fn)(int, const struct sigaction*, struct sigaction*);
static sigaction_fn real_sigaction;
static void (*installed[NSIG])(int, siginfo_t*, void*);

static int is_fault_signal(int sig) {
  return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

/* What the kernel's exception entry would have recorded for this signal. */
static int trap_number(int sig, int code) {
  switch (sig) {
    case SIGSEGV: return code == SI_KERNEL ? kProtection : kPageFault;
    case SIGBUS: return code == BUS_ADRALN ? kAlignment : kPageFault;
    case SIGILL: return code == ILL_PRVOPC || code == ILL_PRVREG ? kProtection : kInvalidOpcode;
    case SIGFPE: return code == FPE_INTDIV || code == FPE_INTOVF ? kDivide : kFpu;
    case SIGTRAP: return code == TRAP_TRACE ? kSingleStep : kBreakpoint;
  }
  return -1;
}

static void trampoline(int sig, siginfo_t* info, void* context) {
  ucontext_t* uc = context;
  if (uc && (int)uc->uc_mcontext.gregs[REG_TRAPNO] == -1)
    uc->uc_mcontext.gregs[REG_TRAPNO] = trap_number(sig, info ? info->si_code : 0);
  installed[sig](sig, info, context);
}

int sigaction(int sig, const struct sigaction* act, struct sigaction* old) {
  if (!real_sigaction) real_sigaction = (sigaction_fn)dlsym(RTLD_NEXT, "sigaction");
  if (sig <= 0 || sig >= NSIG || !is_fault_signal(sig)) return real_sigaction(sig, act, old);

  void (*previous)(int, siginfo_t*, void*) = installed[sig];
  int wrap = act && (act->sa_flags & SA_SIGINFO) && act->sa_sigaction;
  int rc;
  if (wrap) {
    struct sigaction through = *act;
    installed[sig] = act->sa_sigaction; /* set first: the signal may arrive at once */
    through.sa_sigaction = trampoline;
    rc = real_sigaction(sig, &through, old);
    if (rc != 0) installed[sig] = previous;
  } else {
    rc = real_sigaction(sig, act, old);
  }
  /* The caller sees the handler it installed, never the trampoline. */
  if (rc == 0 && old && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == trampoline)
    old->sa_sigaction = previous;
  return rc;
}
#endif
