// `mandeldive --lock`: the session locked behind a dive on every output,
// until the user's password. See session_lock.md.
#ifndef MANDELDIVE_HOST_WAYLAND_WAYLAND_LOCK_H_
#define MANDELDIVE_HOST_WAYLAND_WAYLAND_LOCK_H_

#include <cstdint>

#include "cli/common_options.h"

namespace mandeldive {

// Exit codes of the locker beyond kExitOk (unlocked by the right password)
// and kExitFailed: the compositor said `finished`; a signal N ends it with
// 128 + N. Neither unlocks.
constexpr int kExitLockFinished = 2;

// Refuses setuid and setgid, forks the password checker, connects to
// $WAYLAND_DISPLAY and locks. With `daemonize` the program forks first;
// the parent ends with 0 once the compositor has said `locked`, and
// otherwise with the locker's code (1 if the lock has not taken in 30 s).
// Takes SIGTERM, SIGINT and SIGHUP for its own.
int RunWaylandLock(const CommonOptions& options, std::int64_t delaySeconds,
                   bool daemonize);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_WAYLAND_LOCK_H_
