#include "exit_signals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

namespace {

// Fixed buffers, since the handler may only call async-signal-safe code.
char temp_path[4096];
char temp_folder[4096];  // empty when the file lies beside the output
std::atomic<bool> temp_noted{false};

void on_signal(int signal) {
  if (temp_noted.load()) {
    unlink(temp_path);
    if (temp_folder[0]) rmdir(temp_folder);
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  // Pending until the handler returns, then delivered with the default action.
  raise(signal);
}

// Signals whose default action ends the process.
constexpr int ending_signals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,  SIGIO,
#if defined(SIGSTKFLT)
    SIGSTKFLT,
#endif
#if defined(SIGPWR)
    SIGPWR,
#endif
};

sigset_t ending_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : ending_signals) sigaddset(&set, signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&set, signal);
  // Faults cannot wait: a blocked fault ends the process without its handler.
  for (int signal : {SIGILL, SIGTRAP, SIGBUS, SIGFPE, SIGSEGV, SIGSYS}) sigdelset(&set, signal);
  return set;
}

void catch_signal(int signal) {
  struct sigaction before {};
  if (sigaction(signal, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) return;
  struct sigaction handler {};
  handler.sa_handler = on_signal;
  sigfillset(&handler.sa_mask);  // one handler at a time
  sigaction(signal, &handler, nullptr);
}

}  // namespace

void remove_temp_file_on_signals() {
  for (int signal : ending_signals) catch_signal(signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) catch_signal(signal);
}

void note_temp_file(const std::string& path, const std::string& folder) {
  temp_noted.store(false);
  if (path.size() >= sizeof temp_path || folder.size() >= sizeof temp_folder) return;
  std::memcpy(temp_path, path.c_str(), path.size() + 1);
  std::memcpy(temp_folder, folder.c_str(), folder.size() + 1);
  temp_noted.store(true);
}

void forget_temp_file() { temp_noted.store(false); }

ENDING_SIGNALS_HELD::ENDING_SIGNALS_HELD() {
  const sigset_t held = ending_set();
  pthread_sigmask(SIG_BLOCK, &held, &before_);
}

ENDING_SIGNALS_HELD::~ENDING_SIGNALS_HELD() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
