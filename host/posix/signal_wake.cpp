#include "host/posix/signal_wake.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace mandeldive {

namespace {

int wakePipe[2] = {-1, -1};
// Set only while PollUntilSignal waits.
volatile std::sig_atomic_t waitingInPoll = 0;
volatile std::sig_atomic_t signalled = 0;
volatile std::sig_atomic_t locker = 0;

// Async-signal-safe: write and _exit only.
void OnSignal(int number) {
  signalled = number;
  if (!waitingInPoll) {
    if (!locker) _exit(0);
    const ssize_t ignored =
        write(2, kLockerSignalLine, std::strlen(kLockerSignalLine));
    (void)ignored;
    _exit(128 + number);
  }
  const char byte = 1;
  const ssize_t ignored = write(wakePipe[1], &byte, 1);
  (void)ignored;
}

}  // namespace

const char kLockerSignalLine[] =
    "mandeldive: ended by a signal; the session stays locked (run "
    "mandeldive --lock again to unlock it)\n";

bool InstallSignalWake() {
  if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC) != 0) return false;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  if (locker) sigaction(SIGHUP, &action, nullptr);
  return true;
}

bool InstallLockerSignalWake() {
  locker = 1;
  return InstallSignalWake();
}

void BlockEndingSignals() {
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigaddset(&ending, SIGHUP);
  sigprocmask(SIG_BLOCK, &ending, nullptr);
}

int WakeSignal() { return signalled; }

bool PollUntilSignal(pollfd* fds, nfds_t count, int timeoutMs, int* ready) {
  constexpr nfds_t kMost = 3;
  pollfd all[kMost + 1];
  const nfds_t n = count < kMost ? count : kMost;
  for (nfds_t i = 0; i < n; ++i) all[i] = fds[i];
  all[n] = {wakePipe[0], POLLIN, 0};
  waitingInPoll = 1;
  *ready = signalled ? 0 : poll(all, n + 1, timeoutMs);
  waitingInPoll = 0;
  for (nfds_t i = 0; i < n; ++i) fds[i].revents = all[i].revents;
  return signalled != 0;
}

}  // namespace mandeldive
