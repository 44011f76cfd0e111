#include "host/wayland/output_dive.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <utility>

#include "engine/tick_timing.h"
#include "host/wayland/buffer_overlay.h"
#include "surface/freetype_text.h"

namespace mandeldive {

namespace {

bool Empty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

Rect Union(const Rect& a, const Rect& b) {
  if (Empty(a)) return b;
  if (Empty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top),
          std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// The render pass calls the event pump at most this often: often enough
// for the progress column to move at the compositor's frame rate, rarely
// enough to cost nothing.
constexpr auto kPumpInterval = std::chrono::milliseconds(4);

}  // namespace

const wl_output_listener OutputDive::kOutputListener = {
    // geometry
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t,
       std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {},
    // mode: the current one is the output's size in device pixels
    [](void* self, wl_output*, std::uint32_t flags, std::int32_t width,
       std::int32_t height, std::int32_t) {
      if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
      static_cast<OutputDive*>(self)->modeWidth_ = width;
      static_cast<OutputDive*>(self)->modeHeight_ = height;
    },
    // done
    [](void* self, wl_output*) {
      static_cast<OutputDive*>(self)->OnOutputDone();
    },
    // scale
    [](void* self, wl_output*, std::int32_t factor) {
      static_cast<OutputDive*>(self)->outputScale_ = std::max(factor, 1);
    },
    // name, description
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

const zwlr_layer_surface_v1_listener OutputDive::kLayerListener = {
    [](void* self, zwlr_layer_surface_v1*, std::uint32_t serial,
       std::uint32_t width, std::uint32_t height) {
      static_cast<OutputDive*>(self)->Configured(
          serial, static_cast<std::int32_t>(width),
          static_cast<std::int32_t>(height));
    },
    // closed: the output is going, or the compositor wants the room back
    [](void* self, zwlr_layer_surface_v1*) {
      static_cast<OutputDive*>(self)->gone_ = true;
    },
};

const xdg_surface_listener OutputDive::kXdgSurfaceListener = {
    [](void* self, xdg_surface*, std::uint32_t serial) {
      auto* dive = static_cast<OutputDive*>(self);
      dive->Configured(serial, dive->toplevelWidth_, dive->toplevelHeight_);
    },
};

const xdg_toplevel_listener OutputDive::kToplevelListener = {
    // configure: the size comes with the xdg_surface's configure after it;
    // 0 leaves it to us, and a fullscreen window then fills the output
    [](void* self, xdg_toplevel*, std::int32_t width, std::int32_t height,
       wl_array*) {
      auto* dive = static_cast<OutputDive*>(self);
      const std::int32_t scale = std::max(dive->outputScale_, 1);
      dive->toplevelWidth_ = width > 0 ? width : dive->modeWidth_ / scale;
      dive->toplevelHeight_ = height > 0 ? height : dive->modeHeight_ / scale;
    },
    // close: the user closed the window, which ends the program
    [](void* self, xdg_toplevel*) {
      static_cast<OutputDive*>(self)->closeRequested_ = true;
    },
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},  // bounds
    [](void*, xdg_toplevel*, wl_array*) {},                   // capabilities
};

const wp_fractional_scale_v1_listener OutputDive::kFractionalListener = {
    [](void* self, wp_fractional_scale_v1*, std::uint32_t scale) {
      auto* dive = static_cast<OutputDive*>(self);
      if (scale == dive->scale120_) return;
      dive->scale120_ = scale;
      if (dive->configured_) dive->resizePending_ = true;
    },
};

const ext_session_lock_surface_v1_listener OutputDive::kLockSurfaceListener = {
    [](void* self, ext_session_lock_surface_v1*, std::uint32_t serial,
       std::uint32_t width, std::uint32_t height) {
      static_cast<OutputDive*>(self)->Configured(
          serial, static_cast<std::int32_t>(width),
          static_cast<std::int32_t>(height));
    },
};

const wl_callback_listener OutputDive::kFrameListener = {
    [](void* self, wl_callback* callback, std::uint32_t) {
      auto* dive = static_cast<OutputDive*>(self);
      wl_callback_destroy(callback);
      dive->frame_ = nullptr;
    },
};

OutputDive::OutputDive(WaylandDisplay* wl, std::uint32_t name,
                       wl_output* output)
    : wl_(wl), name_(name), output_(output) {
  wl_output_add_listener(output_, &kOutputListener, this);
}

OutputDive::~OutputDive() {
  if (frame_ != nullptr) wl_callback_destroy(frame_);
  if (engine_ != nullptr) engine_->Detach();
  if (fractional_ != nullptr) wp_fractional_scale_v1_destroy(fractional_);
  if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
  if (layer_ != nullptr) zwlr_layer_surface_v1_destroy(layer_);
  if (toplevel_ != nullptr) xdg_toplevel_destroy(toplevel_);
  if (xdgSurface_ != nullptr) xdg_surface_destroy(xdgSurface_);
  if (lockSurface_ != nullptr)
    ext_session_lock_surface_v1_destroy(lockSurface_);
  // The surface first: then no buffer of ours is on screen any more.
  if (surface_ != nullptr) wl_surface_destroy(surface_);
  buffers_[0].reset();
  buffers_[1].reset();
  retired_.clear();
  if (wl_output_get_version(output_) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
    wl_output_release(output_);
  } else {
    wl_output_destroy(output_);
  }
}

void OutputDive::OnOutputDone() {
  if (!outputDone_) {
    outputDone_ = true;
    MakeSurface();
    return;
  }
  // A new integer scale changes the picture's size in device pixels; a
  // move or another output's change leaves it as it is. Either way no
  // configure comes with it, so nothing is acked.
  if (configured_) resizePending_ = true;
}

void OutputDive::MakeSurface() {
  surface_ = wl_compositor_create_surface(wl_->compositor);
  if (wl_->fractionalScale != nullptr && wl_->viewporter != nullptr) {
    fractional_ = wp_fractional_scale_manager_v1_get_fractional_scale(
        wl_->fractionalScale, surface_);
    wp_fractional_scale_v1_add_listener(fractional_, &kFractionalListener,
                                        this);
    viewport_ = wp_viewporter_get_viewport(wl_->viewporter, surface_);
  }
  if (wl_->lock != nullptr) {
    // A lock surface is configured at once, and must not be committed
    // before its first configure is acked.
    lockSurface_ =
        ext_session_lock_v1_get_lock_surface(wl_->lock, surface_, output_);
    ext_session_lock_surface_v1_add_listener(lockSurface_,
                                             &kLockSurfaceListener, this);
    return;
  }
  if (wl_->layerShell != nullptr) {
    layer_ = zwlr_layer_shell_v1_get_layer_surface(
        wl_->layerShell, surface_, output_, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
        "mandeldive");
    zwlr_layer_surface_v1_set_anchor(layer_,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);
    // Covers everything, panels included, and keeps the keyboard from the
    // windows it hides.
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    zwlr_layer_surface_v1_add_listener(layer_, &kLayerListener, this);
  } else {
    xdgSurface_ = xdg_wm_base_get_xdg_surface(wl_->wmBase, surface_);
    xdg_surface_add_listener(xdgSurface_, &kXdgSurfaceListener, this);
    toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
    xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
    xdg_toplevel_set_title(toplevel_, "mandeldive");
    xdg_toplevel_set_app_id(toplevel_, "mandeldive");
    xdg_toplevel_set_fullscreen(toplevel_, output_);
  }
  // The first commit carries no buffer: it asks for a configure.
  wl_surface_commit(surface_);
}

void OutputDive::Configured(std::uint32_t serial, std::int32_t width,
                            std::int32_t height) {
  configureSerial_ = serial;
  surfaceWidth_ = width;
  surfaceHeight_ = height;
  configured_ = true;
  ackPending_ = true;
}

void OutputDive::AckConfigure() {
  if (lockSurface_ != nullptr)
    ext_session_lock_surface_v1_ack_configure(lockSurface_, configureSerial_);
  else if (layer_ != nullptr)
    zwlr_layer_surface_v1_ack_configure(layer_, configureSerial_);
  else
    xdg_surface_ack_configure(xdgSurface_, configureSerial_);
}

bool OutputDive::DeviceSize(std::int32_t* width, std::int32_t* height) const {
  // In 64 bits: sizes and scales are the compositor's to send.
  std::int64_t w = 0, h = 0;
  if (viewport_ != nullptr && scale120_ != 0) {
    // Rounded half away from zero, as the fractional-scale protocol asks.
    w = (std::int64_t{surfaceWidth_} * scale120_ + 60) / 120;
    h = (std::int64_t{surfaceHeight_} * scale120_ + 60) / 120;
  } else {
    w = std::int64_t{surfaceWidth_} * outputScale_;
    h = std::int64_t{surfaceHeight_} * outputScale_;
  }
  if (w > kMostBufferSide || h > kMostBufferSide) return false;
  *width = static_cast<std::int32_t>(w);
  *height = static_cast<std::int32_t>(h);
  return true;
}

void OutputDive::ApplyConfigure(Clock::time_point now) {
  if (!changePending() || gone_) return;
  const bool ack = ackPending_;
  ackPending_ = false;
  resizePending_ = false;
  if (surfaceWidth_ <= 0 || surfaceHeight_ <= 0) {
    // Nothing sensible to draw yet; a later configure will say.
    if (ack) AckConfigure();
    return;
  }
  std::int32_t width = 0, height = 0;
  if (!DeviceSize(&width, &height)) {
    problem_ = "the output's surface of " + std::to_string(surfaceWidth_) +
               "x" + std::to_string(surfaceHeight_) +
               " at its scale is more than " + std::to_string(kMostBufferSide) +
               " device pixels a side";
    gone_ = true;
    return;
  }
  const bool fractional = viewport_ != nullptr && scale120_ != 0;
  const bool resized = picture_ == nullptr || picture_->width() != width ||
                       picture_->height() != height;
  // An output moved, or a neighbour changed: the surface is as it was.
  if (!ack && !resized && shownScale_ == (fractional ? 0 : outputScale_))
    return;
  if (resized) {
    std::unique_ptr<ShmBuffer> fresh[2];
    for (auto& b : fresh) {
      b = ShmBuffer::Create(wl_->shm, width, height, &problem_);
      if (b == nullptr) {
        gone_ = true;
        return;
      }
    }
    for (auto& b : buffers_) {
      if (b != nullptr && b->busy) retired_.push_back(std::move(b));
    }
    buffers_[0] = std::move(fresh[0]);
    buffers_[1] = std::move(fresh[1]);
    if (engine_ != nullptr) engine_->Detach();
    picture_.reset();
    try {
      picture_ =
          std::make_unique<MemorySurface>(width, height, MakeFreeTypeText());
    } catch (const std::bad_alloc&) {
      problem_ = "not enough memory for a " + std::to_string(width) + "x" +
                 std::to_string(height) + " picture";
      gone_ = true;
      return;
    }
    picture_->SetColumnObserver(&OutputDive::OnColumn, this);
    const bool first = engine_ == nullptr;
    if (first) {
      engine_ = std::make_unique<SaverEngine>();
      engine_->mandelbrotColor = wl_->settings.mandelbrotColor;
      engine_->backgroundColor = wl_->settings.backgroundColor;
      nextTick_ = now + std::chrono::milliseconds(kFirstTickDelayMs);
    }
    // A new size starts the zoom from the full view again; the phase goes
    // on, as on the other hosts.
    engine_->Attach(picture_.get());
    damage_ = {0, 0, width, height};
    if (frame_ != nullptr) {
      wl_callback_destroy(frame_);
      frame_ = nullptr;
    }
  }
  if (fractional) {
    wl_surface_set_buffer_scale(surface_, 1);
    wp_viewport_set_destination(viewport_, surfaceWidth_, surfaceHeight_);
    shownScale_ = 0;
  } else {
    wl_surface_set_buffer_scale(surface_, outputScale_);
    shownScale_ = outputScale_;
  }
  // Nothing behind it needs drawing.
  wl_region* opaque = wl_compositor_create_region(wl_->compositor);
  wl_region_add(opaque, 0, 0, surfaceWidth_, surfaceHeight_);
  wl_surface_set_opaque_region(surface_, opaque);
  wl_region_destroy(opaque);
  if (ack) AckConfigure();
  damage_ = {0, 0, width, height};
  MarkDirty(damage_);
  // Shown at once: the configure's answer is a buffer of the new size.
  Present();
}

bool OutputDive::Due(Clock::time_point now) const {
  return ticking() && !changePending() && !DoneTicking() && now >= nextTick_;
}

bool OutputDive::DoneTicking() const {
  return wl_->settings.ticks >= 0 && ticks_ >= wl_->settings.ticks;
}

void OutputDive::Tick() {
  lastColumn_ = -1;
  lastPump_ = Clock::now();
  engine_->Tick();
  ++ticks_;
  lastColumn_ = -1;
  // The pass marks its columns as it goes; a zoom frame and a caption are
  // small and rare, so every tick ends with the whole picture to show.
  MarkDirty({0, 0, picture_->width(), picture_->height()});
  Present();
  nextTick_ = Clock::now() + std::chrono::milliseconds(wl_->settings.delayMs);
}

void OutputDive::MarkDirty(const Rect& changed) {
  // Clipped as the surface clips: the pass's last progress column lies
  // just past the right edge.
  const Rect r = {std::max(changed.left, 0), std::max(changed.top, 0),
                  std::min(changed.right, picture_->width()),
                  std::min(changed.bottom, picture_->height())};
  if (Empty(r)) return;
  damage_ = Union(damage_, r);
  for (auto& b : buffers_) {
    if (b != nullptr) b->stale = Union(b->stale, r);
  }
}

// The render pass starts column x: the columns since the last call are
// drawn, and x has its progress marks. Between columns the pass lets the
// events in and shows what it has, but never waits for the compositor.
void OutputDive::OnColumn(void* self, std::int32_t x) {
  auto* dive = static_cast<OutputDive*>(self);
  const std::int32_t from = dive->lastColumn_ < 0 ? x : dive->lastColumn_;
  dive->lastColumn_ = x;
  dive->MarkDirty(
      {std::min(from, x), 0, std::max(from, x) + 1, dive->picture_->height()});
  const Clock::time_point now = Clock::now();
  if (now - dive->lastPump_ < kPumpInterval) return;
  dive->lastPump_ = now;
  dive->wl_->pump(dive->wl_->pumpContext);
  dive->Present();
}

std::int32_t OutputDive::overlayScale() const {
  if (viewport_ != nullptr && scale120_ != 0)
    return std::max<std::int32_t>(1, (scale120_ + 60) / 120);
  return std::max(outputScale_, 1);
}

Rect OutputDive::OverlayArea() const {
  if (wl_->overlay == nullptr || picture_ == nullptr) return {0, 0, 0, 0};
  return wl_->overlay->Area(picture_->width(), picture_->height(),
                            overlayScale());
}

void OutputDive::OverlayChanged() {
  if (picture_ == nullptr || gone_) return;
  MarkDirty(Union(overlayShown_, OverlayArea()));
  Present();
}

void OutputDive::CopyInto(ShmBuffer& b) const {
  // The overlay is drawn over a fresh copy of what lies under it, every
  // time, so it never darkens what it darkened before.
  const Rect over = OverlayArea();
  const Rect r = Union(b.stale, over);
  const PixelView view = picture_->view();
  std::uint32_t* const out = b.pixels();
  const std::int32_t stride = b.width();
  // The picture is stored by columns; a strip of columns at a time keeps
  // both sides in the cache.
  constexpr std::int32_t kStrip = 16;
  for (std::int32_t x0 = r.left; x0 < r.right; x0 += kStrip) {
    const std::int32_t x1 = std::min(x0 + kStrip, r.right);
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
      std::uint32_t* row = out + static_cast<std::size_t>(y) * stride;
      for (std::int32_t x = x0; x < x1; ++x) {
        // 0x00BBGGRR to 0x00RRGGBB.
        const ColorRef c = view.At(x, y);
        row[x] = ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
      }
    }
  }
  if (!Empty(over)) {
    wl_->overlay->Draw(out, stride, b.width(), b.height(), overlayScale());
  }
}

void OutputDive::Present() {
  if (gone_ || picture_ == nullptr || changePending() || frame_ != nullptr ||
      Empty(damage_)) {
    return;
  }
  ShmBuffer* free = nullptr;
  for (auto& b : buffers_) {
    if (!b->busy) {
      free = b.get();
      break;
    }
  }
  if (free == nullptr) return;  // both with the compositor: wait for one
  CopyInto(*free);
  free->stale = {0, 0, 0, 0};
  overlayShown_ = OverlayArea();
  retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                [](const std::unique_ptr<ShmBuffer>& b) {
                                  return !b->busy;
                                }),
                 retired_.end());
  wl_surface_attach(surface_, free->buffer(), 0, 0);
  wl_surface_damage_buffer(surface_, damage_.left, damage_.top,
                           damage_.right - damage_.left,
                           damage_.bottom - damage_.top);
  damage_ = {0, 0, 0, 0};
  frame_ = wl_surface_frame(surface_);
  wl_callback_add_listener(frame_, &kFrameListener, this);
  wl_surface_commit(surface_);
  free->busy = true;
}

}  // namespace mandeldive
