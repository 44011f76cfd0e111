// What the whole program shares on one Wayland connection: the globals it
// bound, the dive settings, and the event pump a long render pass calls
// between its columns.
#ifndef MANDELDIVE_HOST_WAYLAND_WAYLAND_DISPLAY_H_
#define MANDELDIVE_HOST_WAYLAND_WAYLAND_DISPLAY_H_

#include <wayland-client.h>

#include <cstdint>

#include "ext-session-lock-v1-client-protocol.h"
#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace mandeldive {

class BufferOverlay;

// The dive's own settings, as the command line gave them.
struct DiveSettings {
  std::uint32_t mandelbrotColor = 0;
  std::uint32_t backgroundColor = 0;
  std::int64_t delayMs = 0;  // from the end of one step to the next
  std::int64_t ticks = -1;   // steps on each output; -1 runs on
};

struct WaylandDisplay {
  wl_display* display = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  // One of the two shells: layer-shell where the compositor has it.
  zwlr_layer_shell_v1* layerShell = nullptr;
  xdg_wm_base* wmBase = nullptr;
  // Both or neither: the fractional scale is shown through a viewport.
  wp_viewporter* viewporter = nullptr;
  wp_fractional_scale_manager_v1* fractionalScale = nullptr;
  // The locker's lock: where it is set, every output's surface is a lock
  // surface of it, and neither shell is used.
  ext_session_lock_v1* lock = nullptr;
  // Drawn over every output's buffers, never into its picture; or null.
  const BufferOverlay* overlay = nullptr;
  DiveSettings settings;
  // Reads and handles whatever events have arrived, without waiting.
  void (*pump)(void* context) = nullptr;
  void* pumpContext = nullptr;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_WAYLAND_DISPLAY_H_
