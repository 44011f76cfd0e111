// The saver on a Wayland compositor: a dive of its own on every output.
#ifndef MANDELDIVE_HOST_WAYLAND_WAYLAND_SAVER_H_
#define MANDELDIVE_HOST_WAYLAND_WAYLAND_SAVER_H_

#include <wayland-client.h>

#include <cstdint>

#include "cli/common_options.h"

namespace mandeldive {

class SessionLock;

// Connects to $WAYLAND_DISPLAY and runs until a mouse button on any
// output, SIGTERM or SIGINT (0), or until every output has made
// options.ticks steps (0). No display, no wl_shm or no shell to cover an
// output with, and a compositor that goes away, end it with 1 and one line
// on stderr. Takes SIGTERM and SIGINT for its own.
int RunWaylandSaver(const CommonOptions& options, std::int64_t delaySeconds);

// The dives on every output of `display`, as the saver runs them; with
// `lock`, on lock surfaces of its lock, until it unlocks (0), the
// compositor says `finished` (kExitLockFinished) or the checker is gone
// (1), each but the first with one line. The signal wake is installed.
int RunWaylandDives(wl_display* display, const CommonOptions& options,
                    std::int64_t delaySeconds, SessionLock* lock);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_WAYLAND_SAVER_H_
