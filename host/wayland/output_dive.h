// One output and the dive on it: the wl_output's facts, a surface that
// covers it (a layer surface, or a fullscreen toplevel where the
// compositor has no layer-shell, or the locker's lock surface), an engine of
// its own drawing into memory at the output's size in device pixels, and two
// shared-memory buffers the picture is shown through.
#ifndef MANDELDIVE_HOST_WAYLAND_OUTPUT_DIVE_H_
#define MANDELDIVE_HOST_WAYLAND_OUTPUT_DIVE_H_

#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/rect.h"
#include "engine/saver_engine.h"
#include "host/wayland/shm_buffer.h"
#include "host/wayland/wayland_display.h"
#include "surface/memory_surface.h"

namespace mandeldive {

class OutputDive {
 public:
  using Clock = std::chrono::steady_clock;

  // Takes over `output`, bound under the registry name `name`; the surface
  // follows once the output has told its scale.
  OutputDive(WaylandDisplay* wl, std::uint32_t name, wl_output* output);
  ~OutputDive();
  OutputDive(const OutputDive&) = delete;
  OutputDive& operator=(const OutputDive&) = delete;

  std::uint32_t name() const { return name_; }
  std::uint32_t version() const { return wl_output_get_version(output_); }
  // The compositor took the output or the surface away: the program drops
  // this dive once no tick of it runs.
  bool gone() const { return gone_; }
  void SetGone() { gone_ = true; }
  // Set when the user asked the program to end (a toplevel closed).
  bool closeRequested() const { return closeRequested_; }
  // Why the output cannot be drawn on, or empty.
  const std::string& problem() const { return problem_; }

  // Puts a new configure into effect: a picture of the new size, shown at
  // once. Call outside a tick.
  void ApplyConfigure(Clock::time_point now);
  // A tick is due and more are wanted.
  bool Due(Clock::time_point now) const;
  bool DoneTicking() const;
  Clock::time_point nextTick() const { return nextTick_; }
  bool ticking() const { return engine_ != nullptr && !gone_; }
  // One step of the engine, its picture shown as it goes.
  void Tick();
  // Shows what changed, if a buffer is free and the compositor is ready
  // for another frame.
  void Present();
  // The display's overlay changed: what it covered and covers is shown
  // again.
  void OverlayChanged();

 private:
  static const wl_output_listener kOutputListener;
  static const zwlr_layer_surface_v1_listener kLayerListener;
  static const xdg_surface_listener kXdgSurfaceListener;
  static const xdg_toplevel_listener kToplevelListener;
  static const wp_fractional_scale_v1_listener kFractionalListener;
  static const ext_session_lock_surface_v1_listener kLockSurfaceListener;
  static const wl_callback_listener kFrameListener;
  static void OnColumn(void* self, std::int32_t x);

  void OnOutputDone();
  void MakeSurface();
  void Configured(std::uint32_t serial, std::int32_t width,
                  std::int32_t height);
  void AckConfigure();
  // A configure or a new size is yet to be put into effect.
  bool changePending() const { return ackPending_ || resizePending_; }
  void MarkDirty(const Rect& changed);
  void CopyInto(ShmBuffer& b) const;
  // The overlay's rectangle on the picture, or empty.
  Rect OverlayArea() const;
  std::int32_t overlayScale() const;
  // The picture's size in device pixels for the surface's size and scale.
  // False, nothing set, when a side would be longer than kMostBufferSide.
  bool DeviceSize(std::int32_t* width, std::int32_t* height) const;

  WaylandDisplay* wl_;
  std::uint32_t name_;
  wl_output* output_;
  std::int32_t outputScale_ = 1;
  std::int32_t modeWidth_ = 0, modeHeight_ = 0;
  bool outputDone_ = false;
  bool gone_ = false;
  bool closeRequested_ = false;
  std::string problem_;

  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  xdg_surface* xdgSurface_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  ext_session_lock_surface_v1* lockSurface_ = nullptr;
  wp_viewport* viewport_ = nullptr;
  wp_fractional_scale_v1* fractional_ = nullptr;
  std::uint32_t scale120_ = 0;  // the preferred fractional scale, or 0

  // The last configure, in surface coordinates. Its serial is acked once,
  // when it is put into effect (ackPending_); a new scale or an output's
  // other changes bring no configure, only a look at the device size
  // (resizePending_). Acking a serial twice is a protocol error.
  std::int32_t surfaceWidth_ = 0, surfaceHeight_ = 0;
  // An xdg toplevel's size, until the xdg_surface configure that applies it.
  std::int32_t toplevelWidth_ = 0, toplevelHeight_ = 0;
  std::uint32_t configureSerial_ = 0;
  bool configured_ = false;
  bool ackPending_ = false;
  bool resizePending_ = false;
  // What the surface shows now: its buffer scale, or 0 with a viewport.
  std::int32_t shownScale_ = -1;

  std::unique_ptr<MemorySurface> picture_;
  std::unique_ptr<SaverEngine> engine_;
  std::unique_ptr<ShmBuffer> buffers_[2];
  // Buffers of an earlier size that the compositor still holds: kept until
  // it releases them.
  std::vector<std::unique_ptr<ShmBuffer>> retired_;
  // What the overlay covered at the last commit.
  Rect overlayShown_ = {0, 0, 0, 0};
  // Changed since the last commit: the damage of the next one.
  Rect damage_ = {0, 0, 0, 0};
  wl_callback* frame_ = nullptr;
  std::int32_t lastColumn_ = -1;
  std::int64_t ticks_ = 0;
  Clock::time_point nextTick_;
  Clock::time_point lastPump_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_OUTPUT_DIVE_H_
