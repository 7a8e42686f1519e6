/* Per-thread segment descriptors and trap numbers for 32-bit Wine under
 * qemu-i386 (7.2) user-mode emulation. scripts/ia32-emulation builds it and
 * has qemu preload it into the emulated (32-bit) processes only; the test
 * host, the plug-in's tests and its soak run in such processes.
 *
 * qemu-i386 keeps one emulated GDT for all threads of a process, so a TLS
 * descriptor installed with set_thread_area is shared by every thread:
 * whenever a thread reloads a segment register from such a selector it gets
 * the base of the thread that wrote the entry last. A real kernel keeps these
 * descriptors per thread. For Wine:
 *  - %gs (glibc's TLS): Wine reloads it from a saved selector on signals and
 *    system calls, and qemu reloads it on every sigreturn, so threads use
 *    each other's TLS (stack-protector aborts, SIGSEGV);
 *  - %fs (the TEB): Wine puts every thread's TEB in the same GDT entry, so a
 *    thread talks to wineserver as another thread (hangs, assertions).
 * qemu-i386 also leaves trapno in the signal context at -1, from which Wine
 * derives the exception code (an access violation becomes an illegal
 * instruction, an integer division by zero a floating-point error).
 *
 * This library
 *  - refuses Wine's set_thread_area allocation (and drops the selector Wine's
 *    preloader leaves in %fs), so Wine gives each thread's TEB an LDT entry;
 *  - gives the main thread and every thread started with pthread_create its
 *    own LDT descriptor with its TLS base and loads %gs with it before Wine
 *    records the selector;
 *  - around pthread_create, puts the thread's TLS base back in the GDT entry
 *    and %gs, as glibc expects: glibc takes the new thread's entry number from
 *    %gs and qemu loads the new thread's %gs from that entry;
 *  - wraps the handlers installed for SIGSEGV, SIGBUS, SIGFPE, SIGILL and
 *    SIGTRAP so that they see the trap number a kernel would have reported.
 * LDT entries come from the top half (Wine allocates from the bottom), are
 * handed out round-robin and released at thread exit.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#define FIRST 4096
#define COUNT 4096

struct desc {
  unsigned int entry, base, limit, flags;
};
#define DESC_FLAGS 0x51 /* seg_32bit | limit_in_pages | useable: flat 4 GiB data */

static unsigned char used[COUNT];
static unsigned next_try;
static pthread_mutex_t entry_lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_mutex_t create_lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_key_t key;
static unsigned short gdt_gs; /* glibc's GDT TLS selector */
static int (*real_create)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
static long (*real_syscall)(long, ...);
static int (*real_sigaction)(int, const struct sigaction*, struct sigaction*);

static unsigned short get_gs(void) {
  unsigned short s;
  __asm__ volatile("movw %%gs,%0" : "=r"(s));
  return s;
}
static void set_gs(unsigned short s) { __asm__ volatile("movw %0,%%gs" : : "r"(s) : "memory"); }
static uintptr_t tls_base(void) {
  uintptr_t p;
  __asm__ volatile("movl %%gs:0,%0" : "=r"(p));
  return p;
}

static int take_entry(void) {
  int found = -1;
  pthread_mutex_lock(&entry_lock);
  for (unsigned i = 0; i < COUNT; i++) {
    unsigned k = (next_try + i) % COUNT;
    if (!used[k]) {
      used[k] = 1;
      next_try = k + 1;
      found = (int)k;
      break;
    }
  }
  pthread_mutex_unlock(&entry_lock);
  return found;
}

static void give_back(void* v) {
  pthread_mutex_lock(&entry_lock);
  used[(uintptr_t)v - 1] = 0;
  pthread_mutex_unlock(&entry_lock);
}

/* Gives the calling thread its own LDT descriptor for its TLS block. */
static void own_gs(void) {
  uintptr_t tcb = tls_base(); /* the TCB points at itself */
  int k = take_entry();
  if (k < 0) return; /* keep the shared descriptor */
  struct desc d = {(unsigned)(FIRST + k), (unsigned)tcb, 0xfffff, DESC_FLAGS};
  if (real_syscall(SYS_modify_ldt, 0x11, &d, sizeof d) != 0) {
    give_back((void*)(uintptr_t)(k + 1));
    return;
  }
  set_gs((unsigned short)(((FIRST + k) << 3) | 4 | 3)); /* LDT, RPL 3 */
  pthread_setspecific(key, (void*)(uintptr_t)(k + 1));
}

struct start {
  void* (*fn)(void*);
  void* arg;
};

static void* trampoline(void* p) {
  struct start s = *(struct start*)p;
  free(p);
  own_gs();
  return s.fn(s.arg);
}

int pthread_create(pthread_t* t, const pthread_attr_t* a, void* (*fn)(void*), void* arg) {
  struct start* s = malloc(sizeof *s);
  if (!s || !gdt_gs) {
    free(s);
    return real_create(t, a, fn, arg);
  }
  s->fn = fn;
  s->arg = arg;
  pthread_mutex_lock(&create_lock);
  unsigned short mine = get_gs();
  struct desc d = {(unsigned)(gdt_gs >> 3), (unsigned)tls_base(), 0xfffff, DESC_FLAGS};
  real_syscall(SYS_set_thread_area, &d);
  set_gs(gdt_gs);
  int r = real_create(t, a, trampoline, s);
  set_gs(mine);
  pthread_mutex_unlock(&create_lock);
  if (r) free(s);
  return r;
}

long syscall(long n, ...) {
  va_list ap;
  va_start(ap, n);
  long a1 = va_arg(ap, long), a2 = va_arg(ap, long), a3 = va_arg(ap, long);
  long a4 = va_arg(ap, long), a5 = va_arg(ap, long), a6 = va_arg(ap, long);
  va_end(ap);
  if (n == SYS_set_thread_area && a1 && ((struct desc*)a1)->entry == (unsigned)-1) {
    errno = ENOSYS;
    return -1;
  }
  return real_syscall(n, a1, a2, a3, a4, a5, a6);
}

/* The x86 trap numbers a kernel reports for the faults qemu turns into signals. */
static int trap_for(int sig, int code) {
  switch (sig) {
    case SIGSEGV:
      return code == SEGV_MAPERR || code == SEGV_ACCERR ? 14 /* page fault */ : 13 /* protection */;
    case SIGBUS:
      return code == BUS_ADRALN ? 17 /* alignment */ : 12 /* stack segment */;
    case SIGFPE:
      return code == FPE_INTDIV || code == FPE_INTOVF ? 0 /* divide error */ : 16 /* x87 error */;
    case SIGILL:
      return 6; /* invalid opcode */
    case SIGTRAP:
      return code == SI_KERNEL ? 3 /* int3 */ : 1 /* debug */;
  }
  return 13;
}

static int fault_signal(int sig) {
  return sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL || sig == SIGTRAP;
}

static struct sigaction app_action[NSIG];

static void fix_trapno(int sig, siginfo_t* si, void* context) {
  ucontext_t* uc = context;
  if ((unsigned long)uc->uc_mcontext.gregs[REG_TRAPNO] > 31)
    uc->uc_mcontext.gregs[REG_TRAPNO] = trap_for(sig, si->si_code);
  app_action[sig].sa_sigaction(sig, si, context);
}

int sigaction(int sig, const struct sigaction* act, struct sigaction* old) {
  if (!real_sigaction)
    real_sigaction =
        (int (*)(int, const struct sigaction*, struct sigaction*))dlsym(RTLD_NEXT, "sigaction");
  if (sig <= 0 || sig >= NSIG || !fault_signal(sig)) return real_sigaction(sig, act, old);
  struct sigaction before = app_action[sig];
  int r;
  if (act && (act->sa_flags & SA_SIGINFO) && act->sa_sigaction) {
    struct sigaction mine = *act;
    mine.sa_sigaction = fix_trapno;
    app_action[sig] = *act;
    r = real_sigaction(sig, &mine, old);
  } else {
    r = real_sigaction(sig, act, old);
  }
  if (r == 0 && old && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == fix_trapno)
    *old = before;
  return r;
}

__attribute__((constructor)) static void init(void) {
  real_syscall = (long (*)(long, ...))dlsym(RTLD_NEXT, "syscall");
  real_create = (int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*))dlsym(
      RTLD_NEXT, "pthread_create");
  unsigned short fs;
  __asm__ volatile("movw %%fs,%0" : "=r"(fs));
  /* Wine's preloader leaves a GDT selector in %fs for Wine to reuse. */
  if (fs && !(fs & 4)) __asm__ volatile("movw %0,%%fs" : : "r"((unsigned short)0));
  unsigned short gs = get_gs();
  if (!gs || (gs & 4) || !real_create || !real_syscall) return;
  gdt_gs = gs;
  pthread_key_create(&key, give_back);
  own_gs();
}
