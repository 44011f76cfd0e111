#include "output/interrupt_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

namespace mandeldive {

namespace {

// The handler reads only these fixed arrays: a path is written whole before
// its slot is marked in use, and unmarked before it is reused.
constexpr int kSlots = 4;
constexpr std::size_t kPathMax = 4096;
char paths[kSlots][kPathMax];
volatile std::sig_atomic_t inUse[kSlots];

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};

// Async-signal-safe: unlink, sigaction and raise only.
void OnInterrupt(int signal) {
  for (int i = 0; i < kSlots; ++i) {
    if (inUse[i]) unlink(paths[i]);
  }
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = SIG_DFL;
  sigaction(signal, &action, nullptr);
  raise(signal);
}

}  // namespace

void InstallInterruptCleanup() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // One cleanup at a time: the other signals wait while it runs.
  for (int s : kSignals) sigaddset(&action.sa_mask, s);
  for (int s : kSignals) sigaction(s, &action, nullptr);
}

int RegisterTemporary(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length >= kPathMax) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (inUse[i]) continue;
    std::memcpy(paths[i], path, length + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    inUse[i] = 1;
    return i;
  }
  return -1;
}

void ForgetTemporary(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  inUse[slot] = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

}  // namespace mandeldive
