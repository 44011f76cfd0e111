// The saver on a Wayland compositor: a dive of its own on every output.
#ifndef MANDELDIVE_HOST_WAYLAND_WAYLAND_SAVER_H_
#define MANDELDIVE_HOST_WAYLAND_WAYLAND_SAVER_H_

#include <cstdint>

#include "cli/common_options.h"

namespace mandeldive {

// Connects to $WAYLAND_DISPLAY and runs until a mouse button on any
// output, SIGTERM or SIGINT (0), or until every output has made
// options.ticks steps (0). No display, no wl_shm or no shell to cover an
// output with, and a compositor that goes away, end it with 1 and one line
// on stderr. Takes SIGTERM and SIGINT for its own.
int RunWaylandSaver(const CommonOptions& options, std::int64_t delaySeconds);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_WAYLAND_SAVER_H_
