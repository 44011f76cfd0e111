#include "host/wayland/wayland_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/auth/password_checker.h"
#include "host/posix/signal_wake.h"
#include "host/wayland/session_lock.h"
#include "host/wayland/wayland_saver.h"

namespace mandeldive {

namespace {

// How long a --daemonize parent waits for the lock to take: longer than
// any compositor takes to answer, short enough that an idle daemon's
// before-sleep hook does not hang.
constexpr int kLockWaitMs = 30000;

// The parent of --daemonize: 0 once the locker says the session is
// locked, the locker's own code if it ends first, 1 if neither comes in
// time.
int AwaitLock(pid_t locker, int readyFd) {
  pollfd fd = {readyFd, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&fd, 1, kLockWaitMs);
  } while (ready < 0 && errno == EINTR);
  char byte = 0;
  if (ready > 0 && read(readyFd, &byte, 1) == 1) return kExitOk;
  if (ready == 0) {
    std::fprintf(stderr,
                 "mandeldive: the compositor did not lock the session within "
                 "%d s\n",
                 kLockWaitMs / 1000);
    return kExitFailed;
  }
  // The locker ended without the lock; it has said why.
  int status = 0;
  while (waitpid(locker, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status))
    return WEXITSTATUS(status) == 0 ? kExitFailed : WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

}  // namespace

int RunWaylandLock(const CommonOptions& options, std::int64_t delaySeconds,
                   bool daemonize) {
  std::string error;
  if (RunningSetId(&error)) {
    std::fprintf(stderr, "mandeldive: %s\n", error.c_str());
    return kExitFailed;
  }
  int readyFd = -1;
  if (daemonize) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
      std::perror("mandeldive: pipe");
      return kExitFailed;
    }
    const pid_t locker = fork();
    if (locker < 0) {
      std::perror("mandeldive: fork");
      return kExitFailed;
    }
    if (locker > 0) {
      close(ends[1]);
      return AwaitLock(locker, ends[0]);
    }
    // The locker: in a session of its own, so that whatever ends the
    // caller's process group leaves it running.
    close(ends[0]);
    setsid();
    readyFd = ends[1];
  }
  // The checker is forked before the display is touched and before any
  // thread starts, and is this process's child.
  PasswordChecker checker;
  if (!checker.Start(&error)) {
    std::fprintf(stderr, "mandeldive: %s\n", error.c_str());
    return kExitFailed;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    std::fprintf(stderr,
                 "mandeldive: cannot connect to the Wayland display '%s'\n",
                 name != nullptr && name[0] != '\0' ? name : "wayland-0");
    return kExitFailed;
  }
  if (!InstallLockerSignalWake()) {
    std::perror("mandeldive: pipe");
    wl_display_disconnect(display);
    return kExitFailed;
  }
  int rc;
  {
    SessionLock lock(&checker, readyFd);
    rc = RunWaylandDives(display, options, delaySeconds, &lock);
  }
  wl_display_disconnect(display);
  return rc;
}

}  // namespace mandeldive
