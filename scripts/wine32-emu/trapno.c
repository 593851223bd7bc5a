/* Preloaded into Wine's 32-bit loader when it runs under qemu-i386 user-mode
 * emulation. qemu hands signal handlers a frame whose trap number is -1, and
 * Wine's 32-bit handlers decide from that number what went wrong: every
 * access violation would become an illegal instruction. The handlers Wine
 * installs for the fault signals are wrapped here, and the trap number the
 * processor would have given is filled in from the signal and its code
 * before Wine's handler runs.
 *
 * Built freestanding (no 32-bit headers on the machine), so the few i386
 * Linux structures used are declared here. */

typedef void (*sigaction_handler)(int, void *, void *);

struct kernel_sigaction { /* glibc's struct sigaction on i386 */
  sigaction_handler handler;
  unsigned long mask[32];
  int flags;
  void (*restorer)(void);
};

struct signal_info { /* the head of siginfo_t */
  int signo, errno_value, code;
};

enum {
  kSaSigInfo = 4,
  kSigIll = 4, kSigTrap = 5, kSigBus = 7, kSigFpe = 8, kSigSegv = 11,
  kSiKernel = 0x80, kBusAdrAln = 1, kFpeIntDiv = 1, kFpeIntOvf = 2, kTrapTrace = 2,
  /* ucontext_t: uc_flags, uc_link, uc_stack (12 bytes), then gregs[] */
  kGregsOffset = 20, kRegTrapNo = 12
};

void *dlsym(void *, const char *);
int unsetenv(const char *);

static sigaction_handler wrapped[65];

static int trap_number(int sig, int code) {
  switch (sig) {
    case kSigSegv: return code == kSiKernel ? 13 : 14; /* general protection : page fault */
    case kSigBus: return code == kBusAdrAln ? 17 : 14;
    case kSigIll: return 6;
    case kSigFpe: return code == kFpeIntDiv ? 0 : code == kFpeIntOvf ? 4 : 16;
    default: return code == kTrapTrace ? 1 : 3; /* single step : breakpoint */
  }
}

static void mend_and_call(int sig, void *info, void *context) {
  long *gregs = (long *)((char *)context + kGregsOffset);
  if (gregs[kRegTrapNo] < 0 || gregs[kRegTrapNo] > 31)
    gregs[kRegTrapNo] = trap_number(sig, ((struct signal_info *)info)->code);
  wrapped[sig](sig, info, context);
}

static int is_fault_signal(int sig) {
  return sig == kSigIll || sig == kSigTrap || sig == kSigBus || sig == kSigFpe || sig == kSigSegv;
}

int sigaction(int sig, const struct kernel_sigaction *act, struct kernel_sigaction *old) {
  static int (*next)(int, const struct kernel_sigaction *, struct kernel_sigaction *);
  if (!next) next = (int (*)(int, const struct kernel_sigaction *, struct kernel_sigaction *))dlsym((void *)-1L, "sigaction");
  sigaction_handler before = is_fault_signal(sig) ? wrapped[sig] : 0;
  int rc;
  if (act && is_fault_signal(sig) && (act->flags & kSaSigInfo)) {
    struct kernel_sigaction mine = *act;
    mine.handler = mend_and_call;
    rc = next(sig, &mine, old);
    if (rc == 0) wrapped[sig] = act->handler;
  } else {
    rc = next(sig, act, old);
    if (rc == 0 && act && is_fault_signal(sig)) wrapped[sig] = 0;
  }
  /* The caller sees its own handler, never the wrapper. */
  if (rc == 0 && old && before && old->handler == mend_and_call) old->handler = before;
  return rc;
}

/* Programs that Wine starts from here (64-bit ones, host tools) must not get
 * a 32-bit library preloaded. */
__attribute__((constructor)) static void forget_preload(void) { unsetenv("LD_PRELOAD"); }
