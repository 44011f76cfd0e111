#include "output/interrupt_cleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <thread>

#include "output/made_files.h"

namespace mandeldive {

namespace {

struct Watched {
  int signal;
  const char* name;
};

const Watched kSignals[] = {
    {SIGINT, "SIGINT"},
    {SIGTERM, "SIGTERM"},
    {SIGHUP, "SIGHUP"},
};

const char* NameOf(int signal) {
  for (const Watched& w : kSignals) {
    if (w.signal == signal) return w.name;
  }
  return "a signal";
}

// `signal` taken by `handler` (SIG_DFL, SIG_IGN), nothing masked.
void Handle(int signal, void (*handler)(int)) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// Ends the process by `signal`, as if nobody had caught it.
[[noreturn]] void DieOf(int signal) {
  Handle(signal, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(signal);
  _exit(128 + signal);  // not reached: the signal ends the process
}

// Runs as long as the process; each wait is for the next signal.
void Watch(sigset_t signals, std::string program) {
  for (;;) {
    int signal = 0;
    if (sigwait(&signals, &signal) != 0) continue;
    // Waits for a thread that is making a file and noting it, then holds
    // the record to the end, so nothing new is made meanwhile.
    MadeLock lock;
    if (MadeIsKept()) continue;
    TakeBackMade();
    // A progress line on a terminal is cleared first.
    const std::string line =
        std::string(isatty(STDERR_FILENO) ? "\r\033[K" : "") + program +
        ": stopped by " + NameOf(signal) + "; what it made is removed\n";
    if (write(STDERR_FILENO, line.data(), line.size()) < 0) {
      // Nowhere to say it; the status tells.
    }
    DieOf(signal);
  }
}

}  // namespace

bool InstallInterruptCleanup(const char* program, std::string* error) {
  Handle(SIGXFSZ, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  for (const Watched& w : kSignals) {
    struct sigaction now;
    if (sigaction(w.signal, nullptr, &now) == 0 && now.sa_handler != SIG_IGN) {
      sigaddset(&signals, w.signal);
    }
  }
  sigset_t before;
  pthread_sigmask(SIG_BLOCK, &signals, &before);
  try {
    std::thread(Watch, signals, std::string(program)).detach();
  } catch (const std::exception& e) {
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    *error = std::string("cannot start the thread that waits for signals: ") +
             e.what();
    return false;
  }
  return true;
}

}  // namespace mandeldive
